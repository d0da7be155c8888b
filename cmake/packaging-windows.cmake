# The Windows zip: lpt-tool.exe, lpt-tool-demo.exe, lpt-dump.exe, the README (with its section
# for Windows) and the license as text files with Windows line ends, and the pictures the README
# shows, where its links point (docs/). InpOut's driver and DLL are not in it: the user installs
# them (see the README).
install(TARGETS lpt-tool lpt-tool-demo lpt-dump RUNTIME DESTINATION .)
foreach(text README.md LICENSE)
  get_filename_component(stem ${text} NAME_WE)
  configure_file(${text} ${CMAKE_CURRENT_BINARY_DIR}/zip/${stem}.txt COPYONLY)
  file(READ ${CMAKE_CURRENT_BINARY_DIR}/zip/${stem}.txt content)
  string(REPLACE "\n" "\r\n" content "${content}")
  file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/zip/${stem}.txt "${content}")
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/zip/${stem}.txt DESTINATION .)
endforeach()
install(FILES docs/adapter.svg docs/lpt-tool-win32-wine.png DESTINATION docs)
set(CPACK_GENERATOR ZIP)
set(CPACK_STRIP_FILES ON)  # the debug information stays in build-windows/
set(CPACK_PACKAGE_NAME lpt-tool)
set(CPACK_PACKAGE_VENDOR "LPT_Tool developers")
# One zip per build: lpt-tool-1.0.0-windows-x64.zip or lpt-tool-1.0.0-windows-x86.zip.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(CPACK_SYSTEM_NAME windows-x64)
else()
  set(CPACK_SYSTEM_NAME windows-x86)
endif()
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
include(CPack)
