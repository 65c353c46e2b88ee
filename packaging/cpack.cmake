# The Debian package: `cpack -G DEB` in the build directory (scripts/package.sh).
# The package holds what the install rules install, under /usr.
set(CPACK_PACKAGE_NAME quillet)
set(CPACK_PACKAGE_VENDOR "Quillet developers")
set(CPACK_PACKAGE_CONTACT "${QUILLET_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_HOMEPAGE_URL "${QUILLET_HOMEPAGE_URL}")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT) # quillet_<version>-<release>_<arch>.deb
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION text)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The long description; the synopsis line is the summary above.
string(JOIN "\n" CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "A single-window desktop text utility with a Chinese interface: a character"
    "frequency report with a bar chart, a substring count, text transforms"
    "(case, reversal, separators), two-pane editing and GBK/UTF-8 text files.")
# The libraries are found in the binary by dpkg-shlibdeps; Qt's own dialogs and
# menus speak Chinese only with Qt's translations, which no library pulls in.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# quillet-report --info and --profile read Unicode's Han database from unicode-data.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-translations-l10n, unicode-data")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk | fonts-wqy-microhei | fonts-wqy-zenhei")

include(CPack)
