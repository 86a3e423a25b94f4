# cmake -DDIR=<folder> [-DCLEAR=ON] -P check-reports.cmake
# CLEAR: empties the report folder before the script tests. Otherwise fails, showing them, when
# sanitized processes of those tests left reports in it.
if(CLEAR)
  file(REMOVE_RECURSE "${DIR}")
  # The sanitizers cannot create the folder and would lose the report.
  file(MAKE_DIRECTORY "${DIR}")
  return()
endif()
file(GLOB reports "${DIR}/*")
if(NOT reports)
  message(STATUS "no sanitizer report in ${DIR}")
  return()
endif()
foreach(report ${reports})
  file(READ "${report}" text)
  message("---- ${report}\n${text}")
endforeach()
list(LENGTH reports count)
message(FATAL_ERROR "${count} sanitizer report(s) from the script tests")
