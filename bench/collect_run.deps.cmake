# The loopback gallery and temporary folders come from the test support
# libraries, which exist only when tests are built.
if(TARGET qimbra_testing_gallery)
  target_link_libraries(qimbra_bench_${name} PRIVATE qimbra_testing_gallery)
else()
  set_target_properties(qimbra_bench_${name} PROPERTIES EXCLUDE_FROM_ALL TRUE)
endif()
