# The console's thread while its printer stops reading, vanishes, does not answer or sends noise:
# the longest gap between ticks of a 5 ms probe timer.
add_executable(console_stalls ${CMAKE_CURRENT_SOURCE_DIR}/console_stalls.cpp)
target_link_libraries(console_stalls PRIVATE kestrel_ui)
target_include_directories(console_stalls PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
kestrel_warnings(console_stalls)
