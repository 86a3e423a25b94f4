add_test(NAME e2e_save COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/save.sh ${CMAKE_BINARY_DIR}/bin)
set_tests_properties(e2e_save PROPERTIES LABELS e2e TIMEOUT 300)
