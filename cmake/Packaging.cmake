# The Debian package: `cpack -G DEB` in the build folder, or `make package`. It holds the installed
# layout under /usr (see data/CMakeLists.txt) with the copyright file, the changelog, the manual pages
# and the AppStream metadata; its Depends line comes from the libraries the programs link, found by
# dpkg-shlibdeps (packages dpkg-dev and file).
include_guard(GLOBAL)

set(CPACK_PACKAGE_NAME "cheqora")
set(CPACK_PACKAGE_VENDOR "Vantorel")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "check files and compare folders by MD5 digests")
# Lines under 80 characters, as Debian's tools want them.
set(CPACK_PACKAGE_DESCRIPTION [=[
Cheqora shows the MD5 digest, size, date and time of one file or of two
files side by side and says whether the digests are equal. It compares an
old and a new folder, optionally with their subfolders, and writes a
plain-text report of the files added, removed or modified, or of the files
identical in both, judged by content alone. The cheqora-cli command runs the
same engine for scripts and terminals.]=])
# The menu entry and the link in bin/ name the final place, so the files are staged with DESTDIR under
# the real prefix.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX "/usr")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Vantorel <cheqora@vantorel.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION "utils")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.vantorel.example/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The icon is an SVG image, which Qt draws with its SVG plugins.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libqt6svg6")
# Not a native package: the Debian revision names its changelog changelog.Debian.gz.
set(CPACK_DEBIAN_PACKAGE_RELEASE "${CHEQORA_DEB_RELEASE}")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_COMPRESSION_TYPE "xz")

include(CPack)
