# The Debian packages, made by CPack from the install components (scripts/package): zelto-premium, the program
# for servers and the command line, and zelto-premium-desktop, the tray client, each
# <name>_<version>-<revision>_<arch>.deb for the configured prefix (scripts/package configures /usr), their
# library dependencies found by dpkg-shlibdeps. The program looks for its modules only under the prefix it was
# built for.
set(ZELTO_DEBIAN_REVISION 1)
set(ZELTO_DEBIAN_VERSION "${PROJECT_VERSION}-${ZELTO_DEBIAN_REVISION}")
# Debian asks every new version of a package for an entry in its changelog.
file(STRINGS "${PROJECT_SOURCE_DIR}/packaging/debian/changelog" zelto_changelog_top LIMIT_COUNT 1)
if(NOT zelto_changelog_top MATCHES "^zelto-premium \\(${ZELTO_DEBIAN_VERSION}\\) ")
    message(FATAL_ERROR "packaging/debian/changelog does not start with an entry for ${ZELTO_DEBIAN_VERSION}: "
        "add one, as dch does")
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zelto-premium)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "Zelto Premium Client developers")
set(CPACK_PACKAGE_CONTACT "Zelto Premium Client developers <maintainers@zelto-premium.invalid>")
set(CPACK_PACKAGING_INSTALL_PREFIX "${CMAKE_INSTALL_PREFIX}")
set(CPACK_PACKAGE_DIRECTORY "${PROJECT_BINARY_DIR}/package")
# The install rules write the units for the final prefix, so CPack must install to the prefix under a DESTDIR
# rather than to a prefix inside its staging folder.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX "${CMAKE_INSTALL_PREFIX}")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL ${ZELTO_COMPONENTS})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${ZELTO_DEBIAN_REVISION})
set(CPACK_DEBIAN_PACKAGE_SOURCE zelto-premium)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
if(CMAKE_CROSSCOMPILING)
    set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE "${ZELTO_DEBIAN_ARCH}")
endif()

set(CPACK_DEBIAN_HEADLESS_PACKAGE_NAME zelto-premium)
# The extended descriptions keep Debian's 80 columns: each line break here starts a line of the field.
set(CPACK_COMPONENT_HEADLESS_DESCRIPTION "Zelto Premium dynamic DNS client
The client keeps the Zelto Premium service's records of your host names
pointing at this machine's current IPv4 address. This package holds the
program for servers and the command line: it runs headless as a systemd user
or system service, configured from the command line, without any GUI or sound
library. The tray client is in the package zelto-premium-desktop.")
set(CPACK_DEBIAN_HEADLESS_PACKAGE_SUGGESTS "bash-completion, zelto-premium-desktop")
set(CPACK_DEBIAN_HEADLESS_PACKAGE_CONTROL_EXTRA
    "${PROJECT_SOURCE_DIR}/packaging/debian/postinst"
    "${PROJECT_SOURCE_DIR}/packaging/debian/prerm"
    "${PROJECT_SOURCE_DIR}/packaging/debian/postrm")

set(CPACK_DEBIAN_DESKTOP_PACKAGE_NAME zelto-premium-desktop)
set(CPACK_COMPONENT_DESKTOP_DESCRIPTION "Zelto Premium dynamic DNS client - tray client
The client keeps the Zelto Premium service's records of your host names
pointing at this machine's current IPv4 address. This package adds the desktop
client: the icon in the notification area, the Properties and Ignore IP List
dialogs, the sound cues, the desktop entry and icons.")
set(CPACK_DEBIAN_DESKTOP_PACKAGE_DEPENDS "zelto-premium (= ${ZELTO_DEBIAN_VERSION})")
# Without the Wayland platform, Qt falls back to X11 (XWayland) or does not start in a Wayland session.
set(CPACK_DEBIAN_DESKTOP_PACKAGE_RECOMMENDS "qt6-wayland")
set(CPACK_DEBIAN_DESKTOP_PACKAGE_SUGGESTS "gnome-shell-extension-appindicator")
# Its files came with the single package zelto-premium of before; an upgrade moves them here.
set(CPACK_DEBIAN_DESKTOP_PACKAGE_BREAKS "zelto-premium (<< ${ZELTO_DEBIAN_VERSION}~)")
set(CPACK_DEBIAN_DESKTOP_PACKAGE_REPLACES "zelto-premium (<< ${ZELTO_DEBIAN_VERSION}~)")

include(CPack)
