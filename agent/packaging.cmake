# The Debian package of kelpra-agent (cpack --preset deb): the program, its
# systemd unit and its options file. The version is res/version.h's, the
# one the Windows programs carry, so the zip, the installer and the .deb agree.
install(TARGETS kelpra-agent RUNTIME DESTINATION bin)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/debian/kelpra-agent.service DESTINATION lib/systemd/system)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/debian/kelpra-agent.default DESTINATION /etc/default RENAME kelpra-agent)

file(STRINGS ${PROJECT_SOURCE_DIR}/res/version.h version_line REGEX "define KELPRA_VERSION_TEXT")
string(REGEX REPLACE ".*KELPRA_VERSION_TEXT \"([^\"]+)\".*" "\\1" KELPRA_PACKAGE_VERSION "${version_line}")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kelpra-agent)
set(CPACK_PACKAGE_VERSION ${KELPRA_PACKAGE_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_CONTACT "KELPRA developers <kelpra@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "drive health server for the KELPRA tray client, fed by smartctl")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION admin)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "smartmontools (>= 7.0)")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_LIST_DIR}/debian/postinst ${CMAKE_CURRENT_LIST_DIR}/debian/prerm
    ${CMAKE_CURRENT_LIST_DIR}/debian/postrm ${CMAKE_CURRENT_LIST_DIR}/debian/conffiles)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
