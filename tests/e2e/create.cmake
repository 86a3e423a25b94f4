add_test(NAME e2e_create COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/create.sh ${CMAKE_BINARY_DIR}/bin)
set_tests_properties(e2e_create PROPERTIES LABELS e2e TIMEOUT 300)
