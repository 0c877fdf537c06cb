# What `cmake --install` puts where, for a prefix such as /usr/local or, in the Debian packages, /usr. Two
# components, one package each: `headless` (the program, the emulator, the https module, the manual page, bash
# completion, and the systemd units with the system service's user and settings folder) and `desktop` (the
# desktop module, the desktop entry and icons), so that a server gets no GUI or sound library.
include(GNUInstallDirs)

set(ZELTO_PACKAGING_DIR "${PROJECT_SOURCE_DIR}/packaging")
set(ZELTO_STAGING_DIR "${PROJECT_BINARY_DIR}/packaging")

# zelto-premium loads its modules only from ZELTO_INSTALLED_MODULE_DIR, fixed for the configured prefix: an
# install elsewhere would leave it without them, so it is refused.
set(ZELTO_COMPONENTS headless)
if(ZELTO_DESKTOP)
    list(APPEND ZELTO_COMPONENTS desktop)
endif()
foreach(component IN LISTS ZELTO_COMPONENTS)
    install(CODE "set(ZELTO_CONFIGURED_PREFIX \"${CMAKE_INSTALL_PREFIX}\")" COMPONENT ${component})
    install(CODE [[
if(NOT CMAKE_INSTALL_PREFIX STREQUAL ZELTO_CONFIGURED_PREFIX)
    message(FATAL_ERROR "this build is for the prefix ${ZELTO_CONFIGURED_PREFIX}, where zelto-premium looks for its "
        "modules; configure it with -DCMAKE_INSTALL_PREFIX=${CMAKE_INSTALL_PREFIX} to install there")
endif()
]] COMPONENT ${component})
endforeach()

install(TARGETS zelto-premium RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}" COMPONENT headless)
# The service emulator is a tool for tests and the demo, not a command for users: kept out of PATH.
install(TARGETS zelto-service-emulator RUNTIME DESTINATION "${CMAKE_INSTALL_LIBEXECDIR}/zelto-premium"
    COMPONENT headless)
# The desktop and libcurl modules are private to zelto-premium: lib/ under the prefix, not the multiarch library
# folder. dpkg-shlibdeps finds Qt's and libcurl's packages in them.
install(TARGETS zelto-curl LIBRARY DESTINATION lib/zelto-premium COMPONENT headless)

if(ZELTO_DESKTOP)
    install(TARGETS zelto-desktop LIBRARY DESTINATION lib/zelto-premium COMPONENT desktop)
    install(FILES "${ZELTO_PACKAGING_DIR}/zelto-premium.desktop" DESTINATION "${CMAKE_INSTALL_DATADIR}/applications"
        COMPONENT desktop)
    foreach(size 16 32 48 128)
        install(FILES "${PROJECT_SOURCE_DIR}/res/icons/app-${size}.png"
            DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps"
            RENAME zelto-premium.png COMPONENT desktop)
    endforeach()
    install(FILES "${PROJECT_SOURCE_DIR}/res/icons/app.svg"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps"
        RENAME zelto-premium.svg COMPONENT desktop)
endif()

# The manual page carries the project's version and is installed compressed, as man-db and Debian expect.
configure_file("${ZELTO_PACKAGING_DIR}/zelto-premium.1" "${ZELTO_STAGING_DIR}/zelto-premium.1" @ONLY)
add_custom_command(
    OUTPUT "${ZELTO_STAGING_DIR}/zelto-premium.1.gz"
    COMMAND gzip -9 -n -c zelto-premium.1 > zelto-premium.1.gz
    DEPENDS "${ZELTO_STAGING_DIR}/zelto-premium.1"
    WORKING_DIRECTORY "${ZELTO_STAGING_DIR}"
    COMMENT "Compressing the manual page"
    VERBATIM)
add_custom_target(zelto_manual_page ALL DEPENDS "${ZELTO_STAGING_DIR}/zelto-premium.1.gz")
install(FILES "${ZELTO_STAGING_DIR}/zelto-premium.1.gz" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1" COMPONENT headless)

install(FILES "${ZELTO_PACKAGING_DIR}/zelto-premium.bash-completion"
    DESTINATION "${CMAKE_INSTALL_DATADIR}/bash-completion/completions"
    RENAME zelto-premium COMPONENT headless)
install(FILES "${PROJECT_SOURCE_DIR}/README.md" DESTINATION "${CMAKE_INSTALL_DATADIR}/doc/zelto-premium"
    COMPONENT headless)

# Each package's copyright and Debian changelog, which Debian asks for in its own doc folder. Only the packages
# carry them (EXCLUDE_FROM_ALL: installed when cpack asks for the component, not by a plain `cmake --install`).
add_custom_command(
    OUTPUT "${ZELTO_STAGING_DIR}/changelog.Debian.gz"
    COMMAND gzip -9 -n -c "${ZELTO_PACKAGING_DIR}/debian/changelog" > changelog.Debian.gz
    DEPENDS "${ZELTO_PACKAGING_DIR}/debian/changelog"
    WORKING_DIRECTORY "${ZELTO_STAGING_DIR}"
    COMMENT "Compressing the Debian changelog"
    VERBATIM)
add_custom_target(zelto_debian_changelog ALL DEPENDS "${ZELTO_STAGING_DIR}/changelog.Debian.gz")
foreach(component IN LISTS ZELTO_COMPONENTS)
    set(package zelto-premium)
    if(component STREQUAL desktop)
        set(package zelto-premium-desktop)
    endif()
    install(FILES "${ZELTO_PACKAGING_DIR}/debian/copyright" "${ZELTO_STAGING_DIR}/changelog.Debian.gz"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/doc/${package}" COMPONENT ${component} EXCLUDE_FROM_ALL)
endforeach()

# systemd reads units, sysusers.d and tmpfiles.d from lib/ under /usr and /usr/local alike, never from a
# multiarch library folder.
install(FILES "${ZELTO_PACKAGING_DIR}/zelto-premium.sysusers" DESTINATION lib/sysusers.d RENAME zelto-premium.conf
    COMPONENT headless)
install(FILES "${ZELTO_PACKAGING_DIR}/zelto-premium.tmpfiles" DESTINATION lib/tmpfiles.d RENAME zelto-premium.conf
    COMPONENT headless)

# The units name the program by its absolute path, so they are written when the prefix is final: at
# install time, where `cmake --install --prefix` and the package's /usr both take effect.
install(CODE "set(ZELTO_PACKAGING_DIR \"${ZELTO_PACKAGING_DIR}\")
set(ZELTO_STAGING_DIR \"${ZELTO_STAGING_DIR}\")
set(ZELTO_BINDIR_NAME \"${CMAKE_INSTALL_BINDIR}\")" COMPONENT headless)
install(CODE [[
set(ZELTO_BINDIR "${CMAKE_INSTALL_PREFIX}/${ZELTO_BINDIR_NAME}")
foreach(manager user system)
    configure_file("${ZELTO_PACKAGING_DIR}/zelto-premium.${manager}.service.in"
        "${ZELTO_STAGING_DIR}/${manager}/zelto-premium.service" @ONLY)
    file(INSTALL "${ZELTO_STAGING_DIR}/${manager}/zelto-premium.service"
        DESTINATION "${CMAKE_INSTALL_PREFIX}/lib/systemd/${manager}")
endforeach()
]] COMPONENT headless)
include(${CMAKE_CURRENT_LIST_DIR}/Package.cmake)
