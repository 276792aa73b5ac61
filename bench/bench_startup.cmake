# Start-up to the console's first painted frame with a full log, against an empty Qt dialog.
add_executable(bench_startup ${CMAKE_CURRENT_SOURCE_DIR}/bench_startup.cpp)
target_link_libraries(bench_startup PRIVATE kestrel_ui Qt6::Widgets)
target_include_directories(bench_startup PRIVATE ${PROJECT_SOURCE_DIR}/src)
kestrel_warnings(bench_startup)
