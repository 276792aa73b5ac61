# The console waiting for a lost printer to come back: attempts a second, CPU, and the longest
# gap between ticks of a 5 ms probe timer on its thread.
add_executable(console_reconnect ${CMAKE_CURRENT_SOURCE_DIR}/console_reconnect.cpp)
target_link_libraries(console_reconnect PRIVATE kestrel_ui)
target_include_directories(console_reconnect PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
kestrel_warnings(console_reconnect)
