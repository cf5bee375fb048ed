# Desktop integration of the installed program (menu entry, icon, puzzle file
# type, software-centre metadata) and its Debian package:
#   cmake --build build && (cd build && cpack)   ->  build/masuvo_<version>_amd64.deb
if(MASUVO_CORE_ONLY)
  return()
endif()

# The package carries the version the window shows and writes into every
# record line, so there is one number to change.
set(MASUVO_VERSION_SOURCE ${CMAKE_SOURCE_DIR}/session/version.h)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${MASUVO_VERSION_SOURCE})
file(STRINGS ${MASUVO_VERSION_SOURCE} masuvo_version_line REGEX "kVersionText = \"version [0-9]+\\.[0-9]+\\.[0-9]+\"")
string(REGEX MATCH "[0-9]+\\.[0-9]+\\.[0-9]+" MASUVO_VERSION "${masuvo_version_line}")
if(NOT MASUVO_VERSION)
  message(FATAL_ERROR "no version text in ${MASUVO_VERSION_SOURCE}")
endif()

set(masuvo_packaging ${CMAKE_SOURCE_DIR}/packaging)
install(FILES ${masuvo_packaging}/masuvo.desktop DESTINATION share/applications)
install(FILES ${masuvo_packaging}/masuvo-puzzle.xml DESTINATION share/mime/packages RENAME masuvo.xml)
install(FILES ${masuvo_packaging}/io.github.vardelle.Masuvo.metainfo.xml DESTINATION share/metainfo)
install(FILES ${masuvo_packaging}/masuvo.6 ${masuvo_packaging}/masuvo-cli.6 DESTINATION share/man/man6)
# The PNGs are rendered from the SVG by scripts/make-icons.sh.
foreach(size 16 22 24 32 48 64 128 256)
  install(FILES ${CMAKE_SOURCE_DIR}/resources/icons/${size}/masuvo.png
          DESTINATION share/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${CMAKE_SOURCE_DIR}/resources/icons/masuvo.svg DESTINATION share/icons/hicolor/scalable/apps)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME masuvo)
set(CPACK_PACKAGE_VERSION ${MASUVO_VERSION})
set(CPACK_PACKAGE_VENDOR Vardelle)
set(MASUVO_PACKAGE_MAINTAINER "Vardelle <vardelle@users.noreply.github.com>"
    CACHE STRING "Maintainer field of the Debian package")
set(CPACK_PACKAGE_CONTACT "${MASUVO_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "trainer for 9x9 number-placement puzzles (Japanese interface)")
# CPack indents the lines after the first for the control file.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "trainer for 9x9 number-placement puzzles (Japanese interface)
Masuvo (マスヴォ) creates, loads, generates or reads a puzzle from a picture
and times the player solving it. A logic engine that solves the way a
person does judges every placement and names the technique it needed;
hints cost penalty seconds. Finished puzzles go into an achievement record
with a move-by-move review and statistics.
.
masuvo-cli rates, solves, creates and reads puzzles from a terminal.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://vardelle.github.io/Masuvo/index.htm")
set(CPACK_STRIP_FILES ON)
# The libraries the two programs link come from dpkg-shlibdeps; these are
# what they load at run time without linking: Qt's window-system and TIFF
# plugins, GStreamer's base plugins under Qt Multimedia (video files for the
# camera's place), the fonts the board and the dialogs are drawn in, and
# Qt's Japanese translations (the file, print and colour dialogs would
# otherwise follow the desktop's language inside a Japanese window).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qt6-qpa-plugins, qt6-image-formats-plugins, qt6-translations-l10n, gstreamer1.0-plugins-base, fonts-noto-cjk, fonts-liberation")
# A native window on a Wayland desktop (without it Qt uses X11 through
# XWayland), and the camera: Qt Multimedia finds cameras through GStreamer's
# video4linux plugin (without it the camera command says no camera was
# found).
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland, gstreamer1.0-plugins-good")
include(CPack)
