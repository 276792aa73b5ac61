# The Debian package: "cpack -G DEB" in the build folder, after building.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kestrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Kestrel developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "operator and diagnostic console of the Vantor 60 ticket printer")
# Lines stay under 80 characters, as the package's description is shown unwrapped.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "Kestrel opens the printer's port (serial, parallel, USB printer class, the\n"
       "printer's USB virtual serial port, raw TCP/IP or any device by name), sends\n"
       "demo tickets and typed commands, polls and decodes the printer's status,\n"
       "follows a ticket through printing and shows every byte in both directions as\n"
       "a colour-coded dump with millisecond timing. It also sends a command file\n"
       "unattended from the command line.\n"
       "\n"
       "The package also holds vantor-sim, a simulated printer that speaks the\n"
       "printer's byte protocols over TCP and over a pseudo-terminal, and a set of\n"
       "demo tickets.")
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Kestrel developers <kestrel@example.org>")
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The log pane's fixed font; the libraries the programs link are found by dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation")
# Qt chooses Wayland on a Wayland desktop when its plugin is there; XWayland works without it.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
include(CPack)
