# Installing like any Linux program, and the Debian package:
#   cmake --install build [--prefix P]        cd build && cpack -G DEB
# The program finds the installed folder from its own place (PREFIX/bin/../share/tonforge), so the package,
# which installs to /usr whatever the build's prefix, works as well as `cmake --install`.
include(GNUInstallDirs)
# Installing and packaging take what the build made; they do not build the tests and benchmarks first.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

install(TARGETS tonforge tonforge-render RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The program folder; renders left in Tracks/ by a run from the sources are the developer's, not the factory's.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/app/ DESTINATION ${CMAKE_INSTALL_DATADIR}/tonforge
        PATTERN ".gitkeep" EXCLUDE REGEX "/Tracks/[^/]+$" EXCLUDE)

# The desktop's view of it: menu entry, icons, metadata for software centres, the file types, manual pages.
set(TONFORGE_APP_ID io.github.tonforge.Tonforge)
install(FILES ${PROJECT_SOURCE_DIR}/data/tonforge.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
configure_file(${PROJECT_SOURCE_DIR}/data/${TONFORGE_APP_ID}.metainfo.xml
               ${CMAKE_BINARY_DIR}/${TONFORGE_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/${TONFORGE_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${PROJECT_SOURCE_DIR}/data/tonforge-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME tonforge.xml)
install(FILES ${PROJECT_SOURCE_DIR}/data/tonforge.1 ${PROJECT_SOURCE_DIR}/data/tonforge-render.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The icons are the splash's emblem, drawn by the skin tool at each size.
set(TONFORGE_ICONS ${CMAKE_BINARY_DIR}/icons)
add_custom_command(OUTPUT ${TONFORGE_ICONS}/48x48/apps/tonforge.png ${TONFORGE_ICONS}/128x128/apps/tonforge.png
                          ${TONFORGE_ICONS}/256x256/apps/tonforge.png
                   COMMAND tonforge-make-skins --icons ${TONFORGE_ICONS}
                   DEPENDS tonforge-make-skins
                   COMMENT "Drawing the desktop icons")
add_custom_target(tonforge-icons ALL DEPENDS ${TONFORGE_ICONS}/48x48/apps/tonforge.png)
install(DIRECTORY ${TONFORGE_ICONS}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tonforge)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Tonforge developers <tonforge@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "software synthesizer and song sequencer")
set(CPACK_PACKAGE_DESCRIPTION "A sound is a program, a chain of up to nine engines (sample players, oscillators,
noise, filters, delays, choruses, flanges, reverbs and modulators); a song is a set of tracks of timed events
that play those programs, live from the computer or a MIDI keyboard, in the background or rendered to WAV.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
# The dependencies come from the shared libraries the executables link (dpkg-shlibdeps).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wine, zenity, xdg-utils")
include(CPack)
