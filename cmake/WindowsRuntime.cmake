# What lumo-razazu.exe needs beside it on Windows: Qt's DLLs and plugins, the MinGW runtime, Qt's
# French texts (the same .qm files as on Debian) and a qt.conf that finds them there.
set(_qt ${LUMO_WIN_QT})
set(LUMO_WIN_RUNTIME
  ${_qt}/bin/Qt6Core.dll ${_qt}/bin/Qt6Gui.dll ${_qt}/bin/Qt6Widgets.dll ${_qt}/bin/Qt6PrintSupport.dll
  ${_qt}/bin/libstdc++-6.dll ${_qt}/bin/libgcc_s_seh-1.dll ${_qt}/bin/libwinpthread-1.dll)
set(LUMO_WIN_PLUGINS platforms/qwindows.dll styles/qwindowsvistastyle.dll imageformats/qjpeg.dll
  imageformats/qgif.dll imageformats/qico.dll)
set(LUMO_WIN_TRANSLATIONS /usr/share/qt6/translations/qtbase_fr.qm)

set(_bin ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
set(_runtime ${LUMO_WIN_RUNTIME})
set(_plugins ${LUMO_WIN_PLUGINS})
# The suites beside them, not installed: Qt's test library and the offscreen platform.
if(LUMO_TESTS)
  list(APPEND _runtime ${_qt}/bin/Qt6Test.dll)
  list(APPEND _plugins platforms/qoffscreen.dll)
endif()
set(_copies)
foreach(file ${_runtime})
  get_filename_component(name ${file} NAME)
  list(APPEND _copies COMMAND ${CMAKE_COMMAND} -E copy_if_different ${file} ${_bin}/${name})
endforeach()
foreach(plugin ${_plugins})
  get_filename_component(dir ${plugin} DIRECTORY)
  list(APPEND _copies COMMAND ${CMAKE_COMMAND} -E make_directory ${_bin}/${dir}
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${_qt}/plugins/${plugin} ${_bin}/${plugin})
endforeach()
file(WRITE ${CMAKE_BINARY_DIR}/generated/qt.conf "[Paths]\nPrefix = .\nPlugins = .\nTranslations = translations\n")
add_custom_target(windows_runtime ALL
  ${_copies}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${_bin}/translations
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${LUMO_WIN_TRANSLATIONS} ${_bin}/translations/
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CMAKE_BINARY_DIR}/generated/qt.conf ${_bin}/qt.conf
  COMMENT "Qt and MinGW runtime beside the program"
  VERBATIM)
