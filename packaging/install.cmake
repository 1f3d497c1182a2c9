# Installing the game (GNU folders) and packaging it as a .deb with CPack.
#
# Identity for the desktop and software centres; set these when publishing the game elsewhere.
set(KESTRUM_APP_ID "io.github.kestrum.Kestrum" CACHE STRING "Reverse-DNS id of the desktop entry and metainfo")
set(KESTRUM_HOMEPAGE "https://github.com/kestrum/kestrum" CACHE STRING "Home page named in the metainfo")
set(KESTRUM_SCREENSHOT_URL "${KESTRUM_HOMEPAGE}/raw/main/docs/screenshot.png"
    CACHE STRING "Screenshot shown by software centres")
set(KESTRUM_MAINTAINER "Kestrum developers <kestrum@users.noreply.github.com>"
    CACHE STRING "Maintainer field of the Debian package")

target_compile_definitions(kestrum PRIVATE KESTRUM_APP_ID="${KESTRUM_APP_ID}")
install(TARGETS kestrum RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS kestrum_sound LIBRARY DESTINATION lib/kestrum)
install(FILES ${CMAKE_SOURCE_DIR}/assets/BAN.WAV ${CMAKE_SOURCE_DIR}/assets/BIGBAN.WAV
        DESTINATION ${CMAKE_INSTALL_DATADIR}/kestrum)

configure_file(${CMAKE_CURRENT_LIST_DIR}/kestrum.desktop.in ${CMAKE_BINARY_DIR}/${KESTRUM_APP_ID}.desktop COPYONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/kestrum.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/${KESTRUM_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/${KESTRUM_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_BINARY_DIR}/${KESTRUM_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# The replay files' type (application/x-kestrum-replay, *.kestrum-replay); the desktop entry opens them.
install(FILES ${CMAKE_CURRENT_LIST_DIR}/kestrum-replay.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
# Debian's machine-readable copyright file, where every package keeps one.
configure_file(${CMAKE_CURRENT_LIST_DIR}/copyright.in ${CMAKE_BINARY_DIR}/copyright @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/kestrum)
foreach(size 16 24 32 48 64 128 256)
  install(FILES ${CMAKE_SOURCE_DIR}/assets/icons/hicolor/${size}x${size}/apps/kestrum.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kestrum)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${KESTRUM_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "artillery duel for two players on one keyboard, or against the computer")
set(CPACK_PACKAGE_DESCRIPTION
    "Each player owns a base at one end of a side-view battlefield, sets the launch parameters of \
shells or rockets with nine keys of their own and watches the trajectories drawn point by point, \
moved by gravity, optional air resistance and rocket thrust. Craters eat the bases; the first \
player to win five rounds wins the match. One player can also play alone against the computer, \
weak, normal, strong or strongest. The interface is in Japanese.")
set(CPACK_PACKAGE_FILE_NAME "kestrum")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT) # kestrum_VERSION_ARCH.deb
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${KESTRUM_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${KESTRUM_HOMEPAGE}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time rather than linked: the X11 window plugin and the Japanese face.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-ipafont-gothic")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
include(CPack)
