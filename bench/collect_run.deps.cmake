# The loopback HTTPS server and temporary folders come from the test support
# library, which exists only when tests are built.
if(TARGET qimbra_testing)
  target_link_libraries(qimbra_bench_${name} PRIVATE qimbra_testing)
else()
  set_target_properties(qimbra_bench_${name} PROPERTIES EXCLUDE_FROM_ALL TRUE)
endif()
