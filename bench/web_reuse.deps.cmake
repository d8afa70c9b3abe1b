target_link_libraries(qimbra_bench_${name} PRIVATE qimbra_web qimbra_testing)
