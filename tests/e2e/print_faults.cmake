# Printing with no printer at all, and to a real CUPS queue made to refuse every job.
add_test(NAME e2e_print_faults COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/print_faults.sh ${CMAKE_BINARY_DIR}/bin)
set_tests_properties(e2e_print_faults PROPERTIES LABELS e2e TIMEOUT 300 RESOURCE_LOCK cups_pdf_queue)
