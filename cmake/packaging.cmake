# Packages of the installed tree: `cpack -G DEB` or `cpack -G TGZ` in the build folder.
set(CPACK_PACKAGE_NAME corvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Corvane developers")
set(CPACK_PACKAGE_CONTACT "The Corvane developers <corvane@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_DESCRIPTION
  "Corvane pads a raw controller image (BIOS, firmware, boot loader, info block or text) with 0xFF \
to its stated size, places a 64-byte header 72 bytes before its end and stores a CRC-32 of the \
image in it, in place, one image per run. corvane-verify checks stamped images without changing \
them, with a text or a JSON report.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
if(WIN32)
  set(CPACK_GENERATOR ZIP) # corvane-VERSION-win64/bin/corvane.exe, ...
else()
  set(CPACK_GENERATOR DEB TGZ)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
endif()
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The package's Depends line, from the libraries the executable really links.
find_program(CORVANE_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(CORVANE_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()

include(CPack)
