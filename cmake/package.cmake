# Installing and packaging: `cmake --install` and CPack, a .deb on Linux and a zip on Windows.
#
# The home page and the contact are placeholders until the project is published; pass -DTAVIMORO_HOMEPAGE=...
# and -DTAVIMORO_PACKAGE_CONTACT="Name <address>" to change them.
set(TAVIMORO_HOMEPAGE "https://github.com/tavimoro/tavimoro" CACHE STRING "The project's home page")
set(TAVIMORO_PACKAGE_CONTACT "Tavimoro developers <tavimoro@tavimoro.invalid>" CACHE STRING
    "The package maintainer, as \"Name <address>\"")
# AppStream takes screenshots by web address only: by default the README's, at the release's tag in the
# repository (not cached, so that it follows the version; -DTAVIMORO_SCREENSHOT_BASE=... to change it).
if(NOT DEFINED TAVIMORO_SCREENSHOT_BASE)
    set(TAVIMORO_SCREENSHOT_BASE "https://raw.githubusercontent.com/tavimoro/tavimoro/v${PROJECT_VERSION}/docs")
endif()

set(TAVIMORO_DIST ${CMAKE_SOURCE_DIR}/dist)
set(TAVIMORO_DIST_OUT ${CMAKE_BINARY_DIR}/dist)
# A umask of 002 must not make the installed folders group-writable.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
    WORLD_READ WORLD_EXECUTE)

set(CPACK_PACKAGE_NAME tavimoro)
set(CPACK_PACKAGE_VENDOR "Tavimoro developers")
set(CPACK_PACKAGE_CONTACT "${TAVIMORO_PACKAGE_CONTACT}")
set(CPACK_PACKAGE_HOMEPAGE_URL "${TAVIMORO_HOMEPAGE}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "one-click launcher for the autorun programs of CD-ROM discs")
set(CPACK_STRIP_FILES TRUE)
# cpack packages what is built: it need not build the tests first (`make package` builds the packaged targets).
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

if(WIN32)
    # One folder with the two programs and the read-me, to unpack anywhere writable: the settings file lives
    # beside the executable.
    install(TARGETS tavimoro RUNTIME DESTINATION .)
    if(TARGET tavimoro-ini)
        install(TARGETS tavimoro-ini RUNTIME DESTINATION .)
    endif()

    # The read-me is kept as plain UTF-8 for editing and shipped for Notepad: with a byte-order mark, so that it
    # reads as UTF-8 whatever the system's code page, and CRLF, which Notepad before Windows 10 needs.
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${TAVIMORO_DIST}/windows/readme.txt.in)
    file(READ ${TAVIMORO_DIST}/windows/readme.txt.in readme)
    string(ASCII 239 187 191 byte_order_mark)
    file(CONFIGURE OUTPUT ${TAVIMORO_DIST_OUT}/readme.txt CONTENT "${byte_order_mark}${readme}" @ONLY
        NEWLINE_STYLE CRLF)
    install(FILES ${TAVIMORO_DIST_OUT}/readme.txt DESTINATION .)

    set(CPACK_GENERATOR ZIP)
    set(CPACK_PACKAGE_FILE_NAME tavimoro-${PROJECT_VERSION}-win64)
else()
    include(GNUInstallDirs)
    install(TARGETS tavimoro tavimoro-ini RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(FILES ${TAVIMORO_DIST}/linux/tavimoro.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(DIRECTORY ${CMAKE_SOURCE_DIR}/res/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)

    set(metainfo io.github.tavimoro.tavimoro.metainfo.xml)
    configure_file(${TAVIMORO_DIST}/linux/${metainfo}.in ${TAVIMORO_DIST_OUT}/${metainfo} @ONLY)
    install(FILES ${TAVIMORO_DIST_OUT}/${metainfo} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

    # Manual pages and the package history go in compressed, with no name or time in the gzip header so that
    # the package comes out the same every time.
    set(compressed)
    foreach(page tavimoro.1 tavimoro-ini.1 changelog)
        configure_file(${TAVIMORO_DIST}/linux/${page}.in ${TAVIMORO_DIST_OUT}/${page} @ONLY)
        add_custom_command(OUTPUT ${TAVIMORO_DIST_OUT}/${page}.gz
            COMMAND gzip -9nkf ${TAVIMORO_DIST_OUT}/${page}
            DEPENDS ${TAVIMORO_DIST_OUT}/${page}
            VERBATIM)
        list(APPEND compressed ${TAVIMORO_DIST_OUT}/${page}.gz)
    endforeach()
    add_custom_target(tavimoro_dist ALL DEPENDS ${compressed})
    install(FILES ${TAVIMORO_DIST_OUT}/tavimoro.1.gz ${TAVIMORO_DIST_OUT}/tavimoro-ini.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    install(FILES ${TAVIMORO_DIST}/linux/copyright ${TAVIMORO_DIST_OUT}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

    set(CPACK_GENERATOR DEB)
    set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
    set(CPACK_DEBIAN_PACKAGE_SECTION utils)
    set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
    # Without a Japanese font every caption shows as boxes; without Qt's Wayland platform a Wayland desktop
    # runs the program through XWayland, or not at all; a disc that is not mounted yet is mounted through
    # UDisks2; folders, documents and web addresses open through xdg-open; discs' Windows programs start
    # through wine.
    set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk | fonts-ipafont-gothic, qt6-wayland, udisks2, xdg-utils")
    set(CPACK_DEBIAN_PACKAGE_SUGGESTS wine)
    # The summary above becomes the first line.
    set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Tavimoro is a small resident utility with one row per CD-ROM drive: a button
with the icon the disc's AUTORUN.INF names, the volume label and the drive
letter. A click starts the disc's program in the disc's folder; the window
follows discs being inserted, removed and swapped, and can stay resident in
the notification area. Its user interface is in Japanese.

The package also holds tavimoro-ini, which reads and writes the settings file
from scripts.")

    # The package tests build the .deb and the zip themselves, from what `make test` has just built (the
    # sanitizer build packages nothing).
    if(NOT TAVIMORO_SANITIZE)
        add_test(NAME package_deb COMMAND bash ${CMAKE_SOURCE_DIR}/tests/package/deb.sh)
        set_tests_properties(package_deb PROPERTIES TIMEOUT 300 ENVIRONMENT
            "TAVIMORO_CPACK_CONFIG=${CMAKE_BINARY_DIR}/CPackConfig.cmake;TAVIMORO_VERSION=${PROJECT_VERSION};\
TAVIMORO_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
        add_test(NAME package_deps COMMAND bash ${CMAKE_SOURCE_DIR}/tests/package/deps.sh)
        set_tests_properties(package_deps PROPERTIES TIMEOUT 60 SKIP_RETURN_CODE 77)
        add_test(NAME package_zip COMMAND bash ${CMAKE_SOURCE_DIR}/tests/package/zip.sh)
        set_tests_properties(package_zip PROPERTIES TIMEOUT 120 ENVIRONMENT
            "TAVIMORO_WIN_BUILD=${TAVIMORO_WINDOWS_BUILD_DIR};TAVIMORO_VERSION=${PROJECT_VERSION}")
    endif()
endif()

include(CPack)
