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

# Debian wants the changelog compressed too, and reproducibly: no name, no time stamp.
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/changelog.gz
                   COMMAND ${GZIP_EXECUTABLE} -9nc ${PROJECT_SOURCE_DIR}/packaging/changelog
                           > ${CMAKE_BINARY_DIR}/packaging/changelog.gz
                   DEPENDS ${PROJECT_SOURCE_DIR}/packaging/changelog VERBATIM)
add_custom_target(changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog.gz)

install(FILES ${PROJECT_SOURCE_DIR}/packaging/org.quarimo.Quarimo.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_BINARY_DIR}/packaging/org.quarimo.Quarimo.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# The icon theme's sizes, drawn by `make artwork`; 64 x 64 is the program's own window icon.
install(FILES ${PROJECT_SOURCE_DIR}/resources/icon.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/64x64/apps RENAME quarimo.png)
foreach(size 16 24 32 48 128 256)
    install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/quarimo-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME quarimo.png)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/quarimo.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${CMAKE_BINARY_DIR}/packaging/quarimo.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${CMAKE_BINARY_DIR}/packaging/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quarimo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_CONTACT "The Quarimo developers <developers@quarimo.example.org>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
# One line each, of at most 79 characters: CPack indents them by one space, Debian allows 80, and a
# line indented further would be shown as preformatted text.
string(JOIN "\n" CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Renames the JPEG photographs of a folder in one pass: by capture date (as a"
    "prefix, a suffix or the whole name), by zero-padded numbers with optional"
    "text, or to camera-style names. Nothing is ever overwritten.")
# Dependencies come from what the binary really links, plus the font its layout is measured in.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window system plugins are loaded at run time, so shlibdeps cannot see them.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation2, qt6-qpa-plugins")
include(CPack)
