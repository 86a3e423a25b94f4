# FastQRCode against the floor: libqrencode's encoding alone at level L.
add_executable(qrcodelib_bench ${CMAKE_CURRENT_LIST_DIR}/qrcodelib_bench.cpp)
target_link_libraries(qrcodelib_bench PRIVATE QRCodeLib PkgConfig::QRENCODE benchmark::benchmark lumo_options)
