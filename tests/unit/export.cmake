# The save command on the fake host; the decode cases load the two real libraries by name.
lumo_add_gtest(export_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/export_test.cpp ${CMAKE_CURRENT_LIST_DIR}/export_decode_test.cpp
  LIBS main_window export bmpjpg_headers LABELS unit)
add_dependencies(export_tests QRCodeLib Lumo_Image_BmpJpg)
target_compile_definitions(export_tests PRIVATE LUMO_TEST_BIN_DIR="$<TARGET_FILE_DIR:Lumo_Image_BmpJpg>")
