# The packet view and the session recording: what they add to a soak's traffic, and opening and
# scrolling a recording of a million packets.
add_executable(bench_packets ${CMAKE_CURRENT_SOURCE_DIR}/bench_packets.cpp)
target_link_libraries(bench_packets PRIVATE kestrel_ui Qt6::Widgets)
target_include_directories(bench_packets PRIVATE ${PROJECT_SOURCE_DIR}/src)
kestrel_warnings(bench_packets)
