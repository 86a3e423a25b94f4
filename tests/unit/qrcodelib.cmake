# The encoder library, linked directly; its pictures are read back by two independent decoders.
lumo_add_gtest(qrcodelib_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/qrcodelib_test.cpp ${CMAKE_CURRENT_LIST_DIR}/qrcodelib_c_api.c
  LIBS QRCodeLib ${CMAKE_DL_LIBS}
  LABELS unit)
set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/qrcodelib_c_api.c PROPERTIES
  COMPILE_OPTIONS "-pedantic")
# The folder the tool loads the library from, to load it the same way.
target_compile_definitions(qrcodelib_test PRIVATE QRCODELIB_BIN_DIR="$<TARGET_FILE_DIR:QRCodeLib>")
