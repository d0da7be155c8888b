# SPDX-License-Identifier: MIT
# What `cmake --install` puts where on Linux; debian/ makes the Debian packages from it
# (debian/lpt-dump.install, debian/lpt-tool.install), with the copyright, the changelog and
# README.Debian of their own.
include(GNUInstallDirs)
# Debian keeps a package's documents under its package name: the user's guide goes with lpt-dump,
# which the window's package depends on.
set(LPT_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/lpt-dump)

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
# The user's README (the programs, the adapter, the port), not the developers'.
install(FILES docs/README-user.md DESTINATION ${LPT_DOC_DIR} RENAME README.md)
install(FILES docs/adapter.svg DESTINATION ${LPT_DOC_DIR})

# The manual pages, as they are: a Debian build compresses them (dh_compress), as it does the
# documents.
install(FILES man/lpt-dump.1 man/lpt-tool.1 man/lpt-tool-demo.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
