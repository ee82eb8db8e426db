# The Debian package: `cpack -G DEB` in a build configured by scripts/package
# (Release, installed under /usr) gives lumikor_<version>_<arch>.deb.
set(CPACK_PACKAGE_NAME lumikor)
set(CPACK_PACKAGE_VENDOR "Lumikor developers")
set(CPACK_PACKAGE_CONTACT "Lumikor maintainers <maintainers@users.noreply.c-seed-cb6b6b47.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "preview of the jobs a laser engraving and cutting machine receives")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Lumikor draws laser job files (.prn, .plt) as the machine would engrave and\n"
    "cut them, on a bed of the machine's size and resolution, before the job goes\n"
    "to the machine. The package holds the desktop program lumikor, the\n"
    "command-line tool lumikor-cli (information, listing and rendering of jobs),\n"
    "the job file type, a thumbnailer for file managers and an example list of\n"
    "machine models.")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the binaries link, as dpkg-shlibdeps finds them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Installed files get the modes Debian expects whatever the umask.
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
