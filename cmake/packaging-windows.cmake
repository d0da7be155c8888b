# The Windows zip: lpt-tool.exe, lpt-tool-demo.exe, lpt-dump.exe, the README (with its section
# for Windows), the license and the wiring picture. InpOut's driver and DLL are not in it: the user installs
# them (see the README).
install(TARGETS lpt-tool lpt-tool-demo lpt-dump RUNTIME DESTINATION .)
install(FILES README.md LICENSE docs/adapter.svg DESTINATION .)
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
