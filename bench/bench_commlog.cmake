# The communication log's full refresh: document build, pane, paint; against QTextEdit::setHtml.
add_executable(bench_commlog ${CMAKE_CURRENT_SOURCE_DIR}/bench_commlog.cpp)
target_link_libraries(bench_commlog PRIVATE kestrel_ui Qt6::Widgets benchmark::benchmark)
target_include_directories(bench_commlog PRIVATE ${PROJECT_SOURCE_DIR}/src)
kestrel_warnings(bench_commlog)
