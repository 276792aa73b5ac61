# The whole console polling the simulator for a while: CPU use, resident memory and descriptors.
add_executable(console_soak ${CMAKE_CURRENT_SOURCE_DIR}/console_soak.cpp)
target_link_libraries(console_soak PRIVATE kestrel_ui)
target_include_directories(console_soak PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
kestrel_warnings(console_soak)
