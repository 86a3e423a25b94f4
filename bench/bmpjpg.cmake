# LIBmpToJpg against Qt's JPEG writer on the tool's QR picture.
add_executable(bmpjpg_bench ${CMAKE_CURRENT_LIST_DIR}/bmpjpg_bench.cpp)
target_link_libraries(bmpjpg_bench PRIVATE Lumo_Image_BmpJpg PkgConfig::QRENCODE Qt6::Gui benchmark::benchmark lumo_options)
target_include_directories(bmpjpg_bench PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
