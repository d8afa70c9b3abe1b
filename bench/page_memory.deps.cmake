# The benchmark serves its resource from the tests' loopback HTTPS fixture.
if(TARGET qimbra_testing)
  target_link_libraries(qimbra_bench_${name} PRIVATE qimbra_web qimbra_testing)
else()
  set_target_properties(qimbra_bench_${name} PROPERTIES EXCLUDE_FROM_ALL ON)
endif()
