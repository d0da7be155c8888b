# Install layout and the Debian package.
include(GNUInstallDirs)
install(TARGETS lpt-tool lpt-tool-demo lpt-dump RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES data/lpt-tool.desktop data/lpt-tool-demo.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES data/lpt-tool.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES README.md docs/adapter.svg DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lpt-tool)
set(CPACK_PACKAGE_VENDOR "LPT_Tool developers")
set(CPACK_PACKAGE_CONTACT "LPT_Tool developers <lpt-tool@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Read a 25160 SPI EEPROM through the parallel port")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Reads all 2048 bytes of a 25160 serial EEPROM wired to the PC's first parallel port and saves them\n as a plain image file. A window (lpt-tool), a command-line tool (lpt-dump), and a demo on an emulated\n chip (lpt-tool-demo).")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The library dependencies come from the binaries themselves (dpkg-shlibdeps).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
