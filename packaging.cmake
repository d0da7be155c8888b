# Install layout and the Debian package.
include(GNUInstallDirs)
# Debian keeps a package's documents under its package name.
set(LPT_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/lpt-tool)
set(LPT_MAINTAINER "LPT_Tool developers <lpt-tool@localhost>"
    CACHE STRING "The package's maintainer, \"Name <address>\"; packagers set their own")

install(TARGETS lpt-tool lpt-tool-demo lpt-dump RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES data/lpt-tool.desktop data/lpt-tool-demo.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
# What software centres show of the program (AppStream).
install(FILES data/io.github.lpt_tool.lpt_tool.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES data/lpt-tool.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 24 32 48 64 128 256)
  install(FILES data/icons/lpt-tool-${size}.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME lpt-tool.png)
endforeach()
install(FILES data/lpt-dump.bash-completion DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
        RENAME lpt-dump)
# The user's README (the programs, the adapter, the port), not the developers'; and how a Debian
# user gets the port without root.
install(FILES docs/README-user.md DESTINATION ${LPT_DOC_DIR} RENAME README.md)
install(FILES docs/adapter.svg debian/README.Debian DESTINATION ${LPT_DOC_DIR})
install(FILES debian/copyright DESTINATION ${LPT_DOC_DIR})

# Manual pages and the Debian changelog, compressed as Debian's policy asks (gzip -n: no time
# stamp, so the package builds the same twice).
# The changelog names the same maintainer as the package.
configure_file(debian/changelog.in ${CMAKE_CURRENT_BINARY_DIR}/debian/changelog @ONLY)
find_program(GZIP gzip REQUIRED)
set(compressed)
foreach(source ${CMAKE_CURRENT_SOURCE_DIR}/man/lpt-dump.1 ${CMAKE_CURRENT_SOURCE_DIR}/man/lpt-tool.1
               ${CMAKE_CURRENT_SOURCE_DIR}/man/lpt-tool-demo.1 ${CMAKE_CURRENT_BINARY_DIR}/debian/changelog)
  get_filename_component(name ${source} NAME)
  set(target ${CMAKE_CURRENT_BINARY_DIR}/compressed/${name}.gz)
  add_custom_command(OUTPUT ${target}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/compressed
    COMMAND ${GZIP} -9n -c ${source} > ${target}
    DEPENDS ${source} VERBATIM)
  list(APPEND compressed ${target})
endforeach()
add_custom_target(compressed_documents ALL DEPENDS ${compressed})
list(FILTER compressed INCLUDE REGEX "\\.1\\.gz$")
install(FILES ${compressed} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/compressed/changelog.gz DESTINATION ${LPT_DOC_DIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lpt-tool)
set(CPACK_PACKAGE_VENDOR "LPT_Tool developers")
set(CPACK_PACKAGE_CONTACT "${LPT_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "read a 25160 SPI EEPROM through the parallel port")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Reads all 2048 bytes of a 25160 serial EEPROM wired to the PC's first\nparallel port and saves them as a plain image file. A window (lpt-tool), a\ncommand-line tool (lpt-dump), and a demo on an emulated chip (lpt-tool-demo).")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)  # the programs ship without their debug information
# The library dependencies come from the binaries themselves (dpkg-shlibdeps).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
