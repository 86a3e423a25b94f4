# The two libraries under bad input and file-system faults (a tmpfs of their own when run as root),
# and the tool's binding of them when one is missing or broken.
lumo_add_gtest(library_faults_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/library_faults_test.cpp
  LIBS QRCodeLib Lumo_Image_BmpJpg LABELS unit)
lumo_add_gtest(library_binding_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/library_binding_test.cpp
  LIBS qrcodelib_headers LABELS unit)
add_dependencies(library_binding_test QRCodeLib Lumo_Image_BmpJpg)
target_compile_definitions(library_binding_test PRIVATE LIBRARY_BIN_DIR="$<TARGET_FILE_DIR:QRCodeLib>")
