# The Debian package: `cmake --build build --target package` writes
# build/sweepwell_<version>_<architecture>.deb from the install rules.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME sweepwell)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Sweepwell developers")
set(CPACK_PACKAGE_CONTACT "Sweepwell developers <hello@sweepwell.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "disk cleaner for the home folder")
set(CPACK_PACKAGE_DESCRIPTION "\
Sweepwell scans your home folder by category (application caches and logs, browser
caches, the Trash, leftovers of removed applications, unfinished downloads,
installers, large files, screenshots and more), shows what each would free, and
removes what you tick at once. It comes with a desktop application and
sweepwell-cli, which scans and cleans from a terminal.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
# The build keeps its debug information; the package does not.
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Sweepwell developers <hello@sweepwell.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://sweepwell.org)
# The libraries the programs link come from dpkg-shlibdeps; the plugins Qt loads at run
# time are no link of theirs and are named here: the SVG image and icon engines (every
# icon of the interface), the ICNS image format (application icons read from .icns), and
# the platform plugins without which no window opens.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6, qt6-image-formats-plugins, qt6-qpa-plugins")
# Removal that needs an administrator's rights runs through pkexec; everything else works
# without it.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "pkexec")

include(CPack)
