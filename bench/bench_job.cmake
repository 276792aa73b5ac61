# The unattended file job: the kestrel program from start to exit against the simulator program.
if(TARGET kestrel AND TARGET vantor-sim)
    add_executable(bench_job ${CMAKE_CURRENT_SOURCE_DIR}/bench_job.cpp)
    target_link_libraries(bench_job PRIVATE benchmark::benchmark)
    target_include_directories(bench_job PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
    target_compile_definitions(bench_job PRIVATE KESTREL_BINARY="$<TARGET_FILE:kestrel>"
        VANTOR_SIM_BINARY="$<TARGET_FILE:vantor-sim>")
    add_dependencies(bench_job kestrel vantor-sim)
    kestrel_warnings(bench_job)
endif()
