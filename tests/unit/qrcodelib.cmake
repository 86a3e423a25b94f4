# The encoder library, linked directly; its pictures are read back by two independent decoders.
lumo_add_gtest(qrcodelib_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/qrcodelib_test.cpp ${CMAKE_CURRENT_LIST_DIR}/qrcodelib_c_api.c
  LIBS QRCodeLib ${CMAKE_DL_LIBS}
  LABELS unit)
