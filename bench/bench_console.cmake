# The console's read tick with one decoding pass of a waiting status packet.
add_executable(bench_console ${CMAKE_CURRENT_SOURCE_DIR}/bench_console.cpp)
target_link_libraries(bench_console PRIVATE kestrel_console benchmark::benchmark)
target_include_directories(bench_console PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
kestrel_warnings(bench_console)
