# Test set-up of a sanitized build (LUMO_SANITIZE): every test process runs under AddressSanitizer,
# LeakSanitizer and UndefinedBehaviorSanitizer, and stops at the first finding.
#
# GoogleTest executables report on their own stderr and fail through their exit status. Script
# tests start the tool in the background and never see its status, so their processes write their
# reports into a folder that the test `sanitizer_reports` reads after them.

set(LUMO_SANITIZER_REPORTS ${CMAKE_BINARY_DIR}/sanitizer-reports)

# lumo_sanitize_script_tests(): called at the end of a test folder; gives its add_test() tests the
# report folder and the check after them. GoogleTest cases are left alone.
function(lumo_sanitize_script_tests)
  lumo_check_labels_at_end() # the folder's end, where its labels are checked too
  if(NOT LUMO_SANITIZE)
    return()
  endif()
  get_property(tests DIRECTORY PROPERTY TESTS)
  foreach(test ${tests})
    set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT_MODIFICATION
      "ASAN_OPTIONS=string_append::log_path=${LUMO_SANITIZER_REPORTS}/asan"
      "UBSAN_OPTIONS=string_append::log_path=${LUMO_SANITIZER_REPORTS}/ubsan")
    set_property(TEST ${test} APPEND PROPERTY FIXTURES_REQUIRED sanitizer_reports)
  endforeach()
endfunction()

if(NOT LUMO_SANITIZE)
  return()
endif()

# Options on which every run depends; the caller's own ASAN_OPTIONS etc. come after and win.
# Full unwinding on malloc: suppressions name functions deep inside Qt and system libraries, which
# have no frame pointers, and the fast unwinder loses those frames.
set(LUMO_ASAN_OPTIONS "detect_leaks=1:halt_on_error=1:abort_on_error=0:fast_unwind_on_malloc=0:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1")
set(LUMO_UBSAN_OPTIONS "halt_on_error=1:print_stacktrace=1")
set(LUMO_LSAN_OPTIONS "suppressions=${CMAKE_CURRENT_LIST_DIR}/lsan.supp:print_suppressions=0")
# ctest reads this before it lists or runs any test: the environment reaches every test process
# and the GoogleTest discovery runs, which no test property reaches.
configure_file(${CMAKE_CURRENT_LIST_DIR}/environment.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/sanitizer-environment.cmake @ONLY)
set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES
  ${CMAKE_CURRENT_BINARY_DIR}/sanitizer-environment.cmake)

add_test(NAME sanitizer_reports_clear
  COMMAND ${CMAKE_COMMAND} -DDIR=${LUMO_SANITIZER_REPORTS} -DCLEAR=ON -P ${CMAKE_CURRENT_LIST_DIR}/check-reports.cmake)
add_test(NAME sanitizer_reports
  COMMAND ${CMAKE_COMMAND} -DDIR=${LUMO_SANITIZER_REPORTS} -P ${CMAKE_CURRENT_LIST_DIR}/check-reports.cmake)
set_tests_properties(sanitizer_reports_clear PROPERTIES FIXTURES_SETUP sanitizer_reports LABELS sanitizer)
set_tests_properties(sanitizer_reports PROPERTIES FIXTURES_CLEANUP sanitizer_reports LABELS sanitizer)
