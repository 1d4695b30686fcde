# `cmake --build build --target package` makes a Debian package with CPack:
# tracesweep_<version>_<arch>.deb, its dependencies found by dpkg-shlibdeps.
# `apt install ./tracesweep_1.0_amd64.deb` installs it.

find_program(GZIP gzip REQUIRED)
set(ts_changelog ${PROJECT_BINARY_DIR}/debian/changelog.gz)
add_custom_command(
  OUTPUT ${ts_changelog}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/debian
  COMMAND ${GZIP} -9 -n -c ${PROJECT_SOURCE_DIR}/data/debian/changelog > ${ts_changelog}
  DEPENDS ${PROJECT_SOURCE_DIR}/data/debian/changelog
  VERBATIM)
add_custom_target(ts_changelog ALL DEPENDS ${ts_changelog})
install(FILES ${ts_changelog} ${PROJECT_SOURCE_DIR}/data/debian/copyright
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tracesweep)
set(CPACK_PACKAGE_VENDOR "Norrick Software Ltd")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Norrick Software Ltd <support@norrick.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "remove browsing traces and securely wipe files")
set(CPACK_PACKAGE_DESCRIPTION
    "Tracesweep clears the cookies, cached pages and history of visited sites of
Firefox- and Chromium-family browsers, the temporary folder and the trash, on
request or automatically when it starts and ends. It destroys chosen files or
folders by overwriting them several times before deleting them, and lives in
the desktop's notification area.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# xdg-open opens the help page, the maker's pages and nothing else.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
if(NOT TRACESWEEP_MAKER_URL STREQUAL "https://www.norrick.example")
  set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${TRACESWEEP_MAKER_URL}/")
endif()
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
