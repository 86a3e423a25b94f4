add_test(NAME e2e_about COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/about.sh ${CMAKE_BINARY_DIR}/bin
         ${CMAKE_CURRENT_BINARY_DIR}/about)
set_tests_properties(e2e_about PROPERTIES LABELS e2e TIMEOUT 300)
