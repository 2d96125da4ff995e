# The Debian package, built by scripts/package.sh with `cpack -G DEB`.
set(VELTROP_MAINTAINER "The Veltrop authors <authors@veltrop.org>"
    CACHE STRING "The Debian package's maintainer")

set(CPACK_PACKAGE_NAME veltrop)
set(CPACK_PACKAGE_VENDOR "The Veltrop authors")
set(CPACK_PACKAGE_CONTACT "${VELTROP_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "keeper of web sites' login names and passwords")
set(CPACK_PACKAGE_DESCRIPTION
    "Veltrop keeps a list of web sites together with the login name, the\n\
password and a short note of each, in one table file. A compact window that\n\
stays above other windows shows one record at a time; it copies a record's\n\
address, login name or password to the clipboard, opens the address in the\n\
web browser and hides into the desktop's notification area.")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://veltrop.org/")
# Where the configured paths (the menu entry's launcher) point.
set(CPACK_PACKAGING_INSTALL_PREFIX "${CMAKE_INSTALL_PREFIX}")
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS ${CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS})

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${VELTROP_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Opening addresses and e-mail goes through xdg-open.
set(CPACK_DEBIAN_PACKAGE_DEPENDS xdg-utils)

include(CPack)
