# Desktop integration and the Debian package.

configure_file(${PROJECT_SOURCE_DIR}/packaging/org.quarimo.Quarimo.metainfo.xml
               ${CMAKE_BINARY_DIR}/packaging/org.quarimo.Quarimo.metainfo.xml @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/packaging/quarimo.1 ${CMAKE_BINARY_DIR}/packaging/quarimo.1 @ONLY)

# Debian wants manual pages compressed.
find_program(GZIP_EXECUTABLE gzip REQUIRED)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/quarimo.1.gz
                   COMMAND ${GZIP_EXECUTABLE} -9nc ${CMAKE_BINARY_DIR}/packaging/quarimo.1
                           > ${CMAKE_BINARY_DIR}/packaging/quarimo.1.gz
                   DEPENDS ${PROJECT_SOURCE_DIR}/packaging/quarimo.1 VERBATIM)
add_custom_target(manpage ALL DEPENDS ${CMAKE_BINARY_DIR}/packaging/quarimo.1.gz)

install(FILES ${PROJECT_SOURCE_DIR}/packaging/org.quarimo.Quarimo.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_BINARY_DIR}/packaging/org.quarimo.Quarimo.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${PROJECT_SOURCE_DIR}/resources/icon.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/64x64/apps RENAME quarimo.png)
if(EXISTS ${PROJECT_SOURCE_DIR}/resources/icon-128.png)
    install(FILES ${PROJECT_SOURCE_DIR}/resources/icon-128.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/128x128/apps RENAME quarimo.png)
endif()
install(FILES ${CMAKE_BINARY_DIR}/packaging/quarimo.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quarimo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_CONTACT "The Quarimo developers <developers@quarimo.example.org>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Renames the JPEG photographs of a folder in one pass: by capture date (as a prefix,\n a suffix or the whole name), by zero-padded numbers with optional text, or to\n camera-style names. Nothing is ever overwritten.")
# Dependencies come from what the binary really links, plus the font its layout is measured in.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window system plugins are loaded at run time, so shlibdeps cannot see them.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation2, qt6-qpa-plugins")
include(CPack)
