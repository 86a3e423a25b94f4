# Run by cpack on the staged tree (CPACK_PRE_BUILD_SCRIPTS): what CPACK_DEBIAN_PACKAGE_SHLIBDEPS
# does, without the postinst and postrm calling ldconfig that CPack adds along with it for any
# library under usr/lib, even in a private folder that ldconfig never reads. Appends what
# dpkg-shlibdeps finds the tool and the libraries link to CPACK_DEBIAN_PACKAGE_DEPENDS.
set(_root "${CPACK_TEMPORARY_DIRECTORY}")
file(GLOB _binaries "${_root}/usr/bin/*" "${_root}/usr/lib/lumo-razazu/*.so")
if(NOT _binaries)
  message(FATAL_ERROR "shlibdeps: no program or library under ${_root}/usr")
endif()

# dpkg-shlibdeps wants a debian/control in its working folder; this one stays out of the package.
set(_work "${CPACK_TOPLEVEL_DIRECTORY}/shlibdeps")
file(REMOVE_RECURSE "${_work}")
file(WRITE "${_work}/debian/control" "")
execute_process(COMMAND dpkg-shlibdeps --ignore-missing-info -O ${_binaries}
  WORKING_DIRECTORY "${_work}"
  RESULT_VARIABLE _result OUTPUT_VARIABLE _output ERROR_VARIABLE _errors
  OUTPUT_STRIP_TRAILING_WHITESPACE)
file(REMOVE_RECURSE "${_work}")
if(NOT _result EQUAL 0 OR NOT _output MATCHES "^shlibs:Depends=(.+)$")
  message(FATAL_ERROR "shlibdeps: dpkg-shlibdeps failed (${_result}): ${_errors}${_output}")
endif()
set(CPACK_DEBIAN_PACKAGE_DEPENDS "${CPACK_DEBIAN_PACKAGE_DEPENDS}, ${CMAKE_MATCH_1}")
# Its one complaint about this layout (the binaries sit in no debian/<package> folder) is noise.
string(REGEX REPLACE "[^\n]*should already be installed in their package's directory\n?" "" _errors "${_errors}")
if(_errors)
  message(STATUS "dpkg-shlibdeps: ${_errors}")
endif()
