# Install rules and the Debian package (cmake --build <dir> --target package).
include(GNUInstallDirs)

set(KESTROVA_PACKAGING_DIR ${CMAKE_CURRENT_SOURCE_DIR}/packaging)
set(KESTROVA_GENERATED_DIR ${CMAKE_CURRENT_BINARY_DIR}/packaging)
set(KESTROVA_APP_ID io.github.kestrova.Kestrova)
set(KESTROVA_ICON_SIZE 256x256)
set(KESTROVA_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/kestrova)
# The day this version was released: the changelog's entry and the AppStream release.
set(KESTROVA_RELEASE_DATE 2026-12-09)
set(KESTROVA_VENDOR "Kestrova developers")
set(KESTROVA_CONTACT "${KESTROVA_VENDOR} <kestrova@example.org>")

# Compresses a generated file the way Debian wants it in a package: at the highest level,
# without the file's name and time, so that the same text gives the same bytes.
function(kestrova_gzip source target)
    execute_process(COMMAND gzip -9n --stdout ${source} OUTPUT_FILE ${target} RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "gzip could not compress ${source}")
    endif()
endfunction()

# The copyright file in Debian's machine-readable format, from LICENSE: its copyright line,
# and its licence text with every line indented and an empty line written as " .".
set(KESTROVA_LICENSE_FILE ${CMAKE_CURRENT_SOURCE_DIR}/LICENSE)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${KESTROVA_LICENSE_FILE})
file(READ ${KESTROVA_LICENSE_FILE} KESTROVA_LICENSE)
if(NOT KESTROVA_LICENSE MATCHES "Copyright \\(c\\) ([^\n]*)\n\n(.*[^\n])\n*$")
    message(FATAL_ERROR "LICENSE has no copyright line followed by the licence text")
endif()
set(KESTROVA_COPYRIGHT_HOLDERS ${CMAKE_MATCH_1})
string(REPLACE "\n\n" "\n.\n" KESTROVA_LICENSE_BODY "${CMAKE_MATCH_2}")
string(REPLACE "\n" "\n " KESTROVA_LICENSE_BODY "${KESTROVA_LICENSE_BODY}")
configure_file(${KESTROVA_PACKAGING_DIR}/copyright.in ${KESTROVA_GENERATED_DIR}/copyright @ONLY)

# One changelog entry for this version, dated in the changelog's own form.
execute_process(COMMAND date --utc --rfc-email --date ${KESTROVA_RELEASE_DATE}
                OUTPUT_VARIABLE KESTROVA_RELEASE_DATE_RFC OUTPUT_STRIP_TRAILING_WHITESPACE)
configure_file(${KESTROVA_PACKAGING_DIR}/changelog.in ${KESTROVA_GENERATED_DIR}/changelog @ONLY)
kestrova_gzip(${KESTROVA_GENERATED_DIR}/changelog ${KESTROVA_GENERATED_DIR}/changelog.gz)

configure_file(${KESTROVA_PACKAGING_DIR}/kestrova.1.in ${KESTROVA_GENERATED_DIR}/kestrova.1 @ONLY)
kestrova_gzip(${KESTROVA_GENERATED_DIR}/kestrova.1 ${KESTROVA_GENERATED_DIR}/kestrova.1.gz)

configure_file(${KESTROVA_PACKAGING_DIR}/${KESTROVA_APP_ID}.metainfo.xml.in
               ${KESTROVA_GENERATED_DIR}/${KESTROVA_APP_ID}.metainfo.xml @ONLY)

install(TARGETS kestrova RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${KESTROVA_PACKAGING_DIR}/${KESTROVA_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${KESTROVA_PACKAGING_DIR}/kestrova.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${KESTROVA_ICON_SIZE}/apps)
install(FILES ${KESTROVA_GENERATED_DIR}/${KESTROVA_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${KESTROVA_GENERATED_DIR}/kestrova.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${KESTROVA_GENERATED_DIR}/copyright ${KESTROVA_GENERATED_DIR}/changelog.gz
        DESTINATION ${KESTROVA_DOC_DIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kestrova)
set(CPACK_PACKAGE_VENDOR "${KESTROVA_VENDOR}")
set(CPACK_PACKAGE_CONTACT "${KESTROVA_CONTACT}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
# The long description, its lines within the 80 columns Debian allows.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Kestrova sends a multicast search from a chosen IPv4 address of the computer,\n"
    "lists the IP cameras that answer, reads their network settings and firmware\n"
    "versions over HTTP, and writes a new address, subnet mask, gateway or DHCP\n"
    "setting to a camera, which then reboots onto them. A batch gives many cameras\n"
    "addresses at once.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
include(CPack)
