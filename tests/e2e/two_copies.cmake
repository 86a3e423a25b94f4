add_test(NAME e2e_two_copies COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/two_copies.sh ${CMAKE_BINARY_DIR}/bin)
set_tests_properties(e2e_two_copies PROPERTIES LABELS e2e TIMEOUT 300)
