# A 20 KB/s byte stream through a pseudo-terminal into the console, with its own feeder process,
# and the same stream into CuteCom for comparison: CPU use, refused bytes, how far behind.
add_executable(stream_bench ${CMAKE_CURRENT_SOURCE_DIR}/stream_bench.cpp)
target_link_libraries(stream_bench PRIVATE kestrel_ui)
target_include_directories(stream_bench PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
kestrel_warnings(stream_bench)
