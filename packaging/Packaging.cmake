# The Debian package: `./tx package` runs CPack on a built tree. Its version is
# project(VERSION); its dependencies are what dpkg-shlibdeps finds in the
# programs, plus the plug-in that draws the SVG icon, which nothing links.

set(TRALIX_MAINTAINER "TralixGui developers <dev@tralixgui.invalid>")

# Debian's documentation folder: the copyright and the changelog, compressed the
# way Debian wants it.
set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/tralixgui)
execute_process(COMMAND env LC_ALL=C date -u -R -d "${TRALIX_RELEASE_DATE}"
                OUTPUT_VARIABLE TRALIX_CHANGELOG_DATE OUTPUT_STRIP_TRAILING_WHITESPACE
                COMMAND_ERROR_IS_FATAL ANY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/changelog.in ${CMAKE_BINARY_DIR}/packaging/changelog @ONLY)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/changelog.gz
                   COMMAND gzip -9n --force --keep changelog
                   WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/packaging
                   DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog
                   VERBATIM)
add_custom_target(package_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright ${CMAKE_BINARY_DIR}/packaging/changelog.gz
        DESTINATION ${doc_dir})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tralixgui)
set(CPACK_PACKAGE_VENDOR "TralixGui developers")
set(CPACK_PACKAGE_CONTACT "${TRALIX_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop tool for a vehicle's Car Computer data logger")
set(CPACK_PACKAGE_DESCRIPTION
    "TralixGui talks to a vehicle's on-board data logger, the Car Computer, over a
serial line at 4800 baud. It shows ten channels live in ten graphs, downloads
the drives the Car Computer has stored, exports the records to cardata.csv
and sets the Car Computer's clock.

tralixgui-carsim, a simulated Car Computer on a pseudo-terminal, lets you try
TralixGui without the vehicle.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS libqt6svg6)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)

include(CPack)
