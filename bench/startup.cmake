# Start to window shown: the tool against a bare window (bench/startup.sh measures both).
add_executable(bare_window ${CMAKE_CURRENT_LIST_DIR}/bare_window.cpp)
target_link_libraries(bare_window PRIVATE Qt6::Widgets lumo_options)
