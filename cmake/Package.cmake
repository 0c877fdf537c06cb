# The Debian package, made by CPack from the install rules (scripts/package): zelto-premium_<version>_<arch>.deb
# for the configured prefix (scripts/package configures /usr), its library dependencies found by
# dpkg-shlibdeps. The program looks for its modules only under the prefix it was built for.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zelto-premium)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "Zelto Premium Client developers")
set(CPACK_PACKAGE_CONTACT "Zelto Premium Client developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Zelto Premium dynamic DNS client")
set(CPACK_PACKAGE_DESCRIPTION "\
The client keeps the Zelto Premium service's records of your host names pointing at this machine's \
current IPv4 address. It lives in the desktop's notification area, or runs headless as a systemd user \
or system service, configured from the command line.")
set(CPACK_PACKAGING_INSTALL_PREFIX "${CMAKE_INSTALL_PREFIX}")
set(CPACK_PACKAGE_DIRECTORY "${PROJECT_BINARY_DIR}/package")
# The install rules write the units for the final prefix, so CPack must install to the prefix under a DESTDIR
# rather than to a prefix inside its staging folder.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX "${CMAKE_INSTALL_PREFIX}")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Without the Wayland platform, Qt falls back to X11 (XWayland) or does not start in a Wayland session.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "bash-completion, gnome-shell-extension-appindicator")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    "${PROJECT_SOURCE_DIR}/packaging/debian/postinst"
    "${PROJECT_SOURCE_DIR}/packaging/debian/prerm"
    "${PROJECT_SOURCE_DIR}/packaging/debian/postrm")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
