add_test(NAME e2e_copy COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/copy.sh ${CMAKE_BINARY_DIR}/bin)
set_tests_properties(e2e_copy PROPERTIES LABELS e2e TIMEOUT 300)
