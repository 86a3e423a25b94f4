# Lumo_Image_BmpJpg, linked directly; libqrencode draws the codes, TurboJPEG reads headers back.
lumo_add_gtest(bmpjpg_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/bmpjpg_test.cpp ${CMAKE_CURRENT_LIST_DIR}/bmpjpg_c_caller.c
  LIBS Lumo_Image_BmpJpg PkgConfig::QRENCODE libjpeg-turbo::turbojpeg ${CMAKE_DL_LIBS})
set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/bmpjpg_c_caller.c PROPERTIES
  COMPILE_OPTIONS "-Wall;-Wextra;-pedantic;$<$<BOOL:${LUMO_WERROR}>:-Werror>")
# The folder the tool loads the library from, to load it the same way.
target_compile_definitions(bmpjpg_test PRIVATE BMPJPG_BIN_DIR="$<TARGET_FILE_DIR:Lumo_Image_BmpJpg>")
