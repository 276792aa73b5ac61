# Print of a 20-line ticket in Ventrix mode to the simulator over loopback TCP.
add_executable(bench_tickets ${CMAKE_CURRENT_SOURCE_DIR}/bench_tickets.cpp
               ${PROJECT_SOURCE_DIR}/tests/console/RecordedTraffic_support.cpp
               ${PROJECT_SOURCE_DIR}/tests/sim/SimTestClient_support.cpp)
target_link_libraries(bench_tickets PRIVATE kestrel_console kestrel_sim benchmark::benchmark)
target_include_directories(bench_tickets PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
kestrel_warnings(bench_tickets)
