# `cpack` in the Windows build folder writes ferrowick-<version>-win64.zip: ferrowick.exe (one
# self-contained program), the README and the licence, in one folder of the same name.
install(FILES "${CMAKE_SOURCE_DIR}/README.md" DESTINATION .)
install(FILES "${CMAKE_SOURCE_DIR}/cmake/deb/copyright" DESTINATION . RENAME LICENCE.txt)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME ferrowick)
set(CPACK_PACKAGE_VENDOR Halvernook)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_FILE_NAME "ferrowick-${PROJECT_VERSION}-win64")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
