# `cpack -G DEB` in the build folder makes the Debian package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vuruz)
set(CPACK_PACKAGE_VENDOR Wendrake)
set(CPACK_PACKAGE_CONTACT "Wendrake <spiele@wendrake.de>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "reaction game with a talking toy")
# Debian wants the long description in lines of at most 80 characters.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "A desktop simulation of a handheld reaction toy. The toy stands on the"
  "desktop as a shaped window above all others. It calls out one of five"
  "actions, spoken in German or English or given as a sound, and the player"
  "presses the matching part of the toy with the mouse, or the action's letter"
  "key, before the answer time runs out. A ten-place high-score table keeps the"
  "best players.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://wendrake.de/vuruz/)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Qt and the C++ runtime come from the libraries the program links. SDL is
# opened with dlopen at the first sound, so no tool can see it: name it here
# (every function the game looks up is in SDL 2.0.12).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libsdl2-2.0-0 (>= 2.0.12), fonts-dejavu-core, fonts-liberation2, qt6-translations-l10n")
include(CPack)
