# Prints through a real CUPS queue, which the script sets up (cupsd started if needed); the probe
# print_margins tells where the queue's declared printable area begins.
add_test(NAME e2e_print COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/print.sh ${CMAKE_BINARY_DIR}/bin)
set_tests_properties(e2e_print PROPERTIES LABELS e2e TIMEOUT 300 RESOURCE_LOCK cups_pdf_queue)
