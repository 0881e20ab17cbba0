# Packages of the installed tree, with `cpack -G DEB`, `cpack -G TGZ` or (Windows) `cpack -G ZIP` in
# the build folder:
#   corvane_VERSION_ARCH.deb                      installs under /usr
#   corvane-VERSION-linux-ARCH.tar.gz             corvane-VERSION-linux-ARCH/bin/corvane, ...
#   corvane-VERSION-windows-ARCH.zip              corvane-VERSION-windows-ARCH/bin/corvane.exe, ...
set(CPACK_PACKAGE_NAME corvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Corvane developers")
set(CPACK_PACKAGE_CONTACT "The Corvane developers <developers@corvane.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_DESCRIPTION "Corvane pads a raw controller image (BIOS, firmware, boot loader, info
block or text) with 0xFF to its stated size, places a 64-byte header 72
bytes before its end and stores a CRC-32 of the image in it, in place, one
image per run; it flushes the image to storage before it reports success.
.
corvane-verify checks stamped images without changing them, against the
words that stamped them where given, with a text or a JSON report.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
string(TOLOWER "${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR}" platform)
set(CPACK_PACKAGE_FILE_NAME corvane-${PROJECT_VERSION}-${platform})
if(WIN32)
  set(CPACK_GENERATOR ZIP)
else()
  set(CPACK_GENERATOR DEB TGZ)
endif()
set(CPACK_STRIP_FILES ON)
# Each package picks its components and its place (cpack reads this file as it makes each one).
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_BINARY_DIR}/cpack_project.cmake)
file(WRITE ${CPACK_PROJECT_CONFIG_FILE} "
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
if(CPACK_GENERATOR STREQUAL \"DEB\")
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_COMPONENTS_ALL Unspecified debian)
  find_program(dpkg_shlibdeps dpkg-shlibdeps)
  if(NOT dpkg_shlibdeps)
    message(FATAL_ERROR \"The package's Depends line needs dpkg-shlibdeps (Debian: dpkg-dev)\")
  endif()
else()
  set(CPACK_PACKAGING_INSTALL_PREFIX \"\")
  set(CPACK_COMPONENT_INCLUDE_TOPLEVEL_DIRECTORY ON)
  set(CPACK_COMPONENTS_ALL Unspecified archive)
endif()
")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON) # Depends from the libraries the executables really link

include(CPack)
