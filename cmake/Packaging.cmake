if(WIN32)
  include(${CMAKE_CURRENT_LIST_DIR}/PackagingWindows.cmake)
  return()
endif()

# `cmake --build build --target package` writes ferrowick_<version>-<release>_<arch>.deb for
# Debian 12 into the build folder. Depends is computed from the binary by dpkg-shlibdeps.
include(GNUInstallDirs)
set(FERROWICK_DEB_MAINTAINER "Halvernook <ferrowick@halvernook.example>")
set(FERROWICK_DEB_RELEASE 1)
set(FERROWICK_DEB_VERSION "${PROJECT_VERSION}-${FERROWICK_DEB_RELEASE}")
set(FERROWICK_DEB_DOC_DIR "${CMAKE_INSTALL_DATADIR}/doc/ferrowick")

# Debian wants the licence terms and a changelog beside every package, the changelog
# compressed without a name or time stamp.
install(FILES "${CMAKE_SOURCE_DIR}/cmake/deb/copyright" DESTINATION "${FERROWICK_DEB_DOC_DIR}")
install(FILES "${CMAKE_SOURCE_DIR}/cmake/deb/lintian-overrides"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/lintian/overrides" RENAME ferrowick)
configure_file("${CMAKE_SOURCE_DIR}/cmake/deb/changelog.in" "${CMAKE_BINARY_DIR}/deb/changelog.Debian" @ONLY)
find_program(FERROWICK_GZIP gzip REQUIRED)
add_custom_command(
  OUTPUT "${CMAKE_BINARY_DIR}/deb/changelog.Debian.gz"
  COMMAND sh -c "'${FERROWICK_GZIP}' -9 -n -c changelog.Debian > changelog.Debian.gz"
  DEPENDS "${CMAKE_BINARY_DIR}/deb/changelog.Debian"
  WORKING_DIRECTORY "${CMAKE_BINARY_DIR}/deb"
  VERBATIM)
add_custom_target(deb_changelog ALL DEPENDS "${CMAKE_BINARY_DIR}/deb/changelog.Debian.gz")
install(FILES "${CMAKE_BINARY_DIR}/deb/changelog.Debian.gz" DESTINATION "${FERROWICK_DEB_DOC_DIR}")

# cpack makes staging directories with the builder's umask; a script gives them all 0755
# just before packing.
set(CPACK_PRE_BUILD_SCRIPTS "${CMAKE_SOURCE_DIR}/cmake/deb/directory_modes.cmake")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ferrowick)
set(CPACK_PACKAGE_VENDOR Halvernook)
set(CPACK_PACKAGE_CONTACT "${FERROWICK_DEB_MAINTAINER}")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "convert folder trees of Outlook .msg files into .pst files")
# Debian shows the description as it is written: lines of under 80 characters.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "Halvernook Ferrowick turns folder trees of Outlook message files (.msg) into"
  "Unicode Outlook data files (.pst): one tree becomes one .pst, with the tree"
  "mirrored as folders. It reads .msg files and writes .pst files itself;"
  "neither Outlook nor MAPI nor Windows is needed."
  ""
  "It comes as a desktop wizard and as a command line for servers and scripts,"
  "which also lists, checks and inspects .pst files. An existing file is never"
  "replaced, and a run that is stopped keeps what it has converted.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${FERROWICK_DEB_RELEASE})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${FERROWICK_DEB_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION mail)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.halvernook.example/h/ferrowick/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
if(TARGET ferrowick_ui)
  # Loaded at run time, so dpkg-shlibdeps cannot see them: Qt's display plugins (only
  # recommended by Qt itself) and the wizard's fonts, DejaVu Sans and DejaVu Sans Condensed.
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-dejavu-core, fonts-dejavu-extra")
endif()

include(CPack)
