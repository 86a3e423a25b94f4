# The real printer job on a PDF printer, driven by the main window; the print command's error path
# on the fake host. The encoder is linked directly.
lumo_add_gtest(print_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/print_job_test.cpp ${CMAKE_CURRENT_LIST_DIR}/print_command_test.cpp
  LIBS main_window QRCodeLib LABELS unit)
# The printable area a printer declares (its minimum margins), for the real-window print test.
add_executable(print_margins ${CMAKE_CURRENT_LIST_DIR}/print_margins.cpp)
target_link_libraries(print_margins PRIVATE lumo_options Qt6::PrintSupport)
