# The port's hot paths: one-byte Receive calls against plain reads on the same pseudo-terminal,
# a 1 MB Output over loopback TCP against a plain send loop, and Ventrix packets to vantor-sim.
add_executable(bench_port ${CMAKE_CURRENT_SOURCE_DIR}/bench_port.cpp)
target_link_libraries(bench_port PRIVATE kestrel_app benchmark::benchmark)
target_include_directories(bench_port PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
kestrel_warnings(bench_port)
target_compile_definitions(bench_port PRIVATE VANTOR_SIM_BINARY="$<TARGET_FILE:vantor-sim>")
add_dependencies(bench_port vantor-sim)
