# The Qt shell's failure list; without the Qt shell there is nothing to time.
if(TARGET qimbra_app_qt)
  target_link_libraries(qimbra_bench_${name} PRIVATE qimbra_app_qt)
else()
  set_target_properties(qimbra_bench_${name} PROPERTIES EXCLUDE_FROM_ALL TRUE)
endif()
