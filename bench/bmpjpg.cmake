# LIBmpToJpg against Qt's JPEG writer on the tool's QR picture.
add_executable(bmpjpg_bench ${CMAKE_CURRENT_LIST_DIR}/bmpjpg_bench.cpp)
target_link_libraries(bmpjpg_bench PRIVATE Lumo_Image_BmpJpg PkgConfig::QRENCODE Qt6::Gui benchmark::benchmark lumo_options)
