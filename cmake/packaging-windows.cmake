# SPDX-License-Identifier: MIT
# The Windows zip: lpt-tool.exe, lpt-tool-demo.exe, lpt-dump.exe, a README for Windows users
# (docs/README-windows.txt, for the zip's bitness) and the license as text files with Windows
# line ends, and the pictures the README names (docs/). InpOut's driver and DLL are not in it: the user installs
# them (see the README).
install(TARGETS lpt-tool lpt-tool-demo lpt-dump RUNTIME DESTINATION .)
# The README for Windows users of this zip's bitness, and the license.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(LPT_BITNESS 64-bit)
  set(LPT_INPOUT_DLL inpoutx64.dll)
  set(LPT_INPOUT_FOLDER x64)
  set(LPT_SYSTEM_FOLDER "C:\\Windows\\System32")
else()
  set(LPT_BITNESS 32-bit)
  set(LPT_INPOUT_DLL inpout32.dll)
  set(LPT_INPOUT_FOLDER Win32)
  set(LPT_SYSTEM_FOLDER "C:\\Windows\\SysWOW64 on 64-bit Windows, C:\\Windows\\System32 on 32-bit Windows")
endif()
set(LPT_VERSION ${PROJECT_VERSION})
configure_file(docs/README-windows.txt ${CMAKE_CURRENT_BINARY_DIR}/zip/README.txt @ONLY)
configure_file(LICENSE ${CMAKE_CURRENT_BINARY_DIR}/zip/LICENSE.txt COPYONLY)
# The licences of the libraries linked into the programs (tests/windows/zip_contents.sh checks it
# against the programs' link maps).
configure_file(docs/THIRD-PARTY-NOTICES-windows.txt ${CMAKE_CURRENT_BINARY_DIR}/zip/THIRD-PARTY-NOTICES.txt COPYONLY)
foreach(text README.txt LICENSE.txt THIRD-PARTY-NOTICES.txt)
  file(READ ${CMAKE_CURRENT_BINARY_DIR}/zip/${text} content)
  string(REPLACE "\n" "\r\n" content "${content}")
  file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/zip/${text} "${content}")
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/zip/${text} DESTINATION .)
endforeach()
# docs/ is made with its permissions set, not left to the umask (a folder made for the files
# would be drwx------ under umask 077, and the zip keeps a folder's permissions).
install(DIRECTORY DESTINATION docs DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                                        WORLD_READ WORLD_EXECUTE)
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
# Two builds of one source give the same zip: every file in it carries one time, the source's
# (SOURCE_DATE_EPOCH as the build was given it, else the checkout's last commit, else the time of
# this file as unpacked from the source archive), written as UTC. cpack reads both from
# ZipTimes.cmake before it packs (CMake's archive writer takes SOURCE_DATE_EPOCH).
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(LPT_SOURCE_TIME $ENV{SOURCE_DATE_EPOCH})
else()
  execute_process(COMMAND git log -1 --format=%ct WORKING_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}
                  OUTPUT_VARIABLE LPT_SOURCE_TIME OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE git_failed)
  if(git_failed OR LPT_SOURCE_TIME STREQUAL "")
    file(TIMESTAMP ${CMAKE_CURRENT_LIST_FILE} LPT_SOURCE_TIME "%s" UTC)
  endif()
endif()
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/ZipTimes.cmake
     "set(ENV{SOURCE_DATE_EPOCH} ${LPT_SOURCE_TIME})\nset(ENV{TZ} UTC0)\n")
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_BINARY_DIR}/ZipTimes.cmake)
include(CPack)
