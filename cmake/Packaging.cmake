# The Debian package, made by CPack from the install rules (cmake/Install.cmake):
#   cmake --build build/default --target package      (or scripts/package.sh)
# The run-time libraries come from dpkg-shlibdeps; what Qt and the skin load
# without linking it (the platform plugins, the fonts) is named here.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME travix)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Travix")
set(CPACK_PACKAGE_CONTACT "Travix developers <travix@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configures USB gaming keyboards, mice, mouse pads and headsets")
set(CPACK_PACKAGE_DESCRIPTION
    "Travix finds the supported gaming peripherals and changes what their firmware \
holds: lighting (also lighting that follows music or the screen), key functions, \
macros, DPI stages and report rate, recoil patterns and the headset's audio \
processing. It includes travixctl, its command line, and travix-devsim, a device \
simulator.")
# Strip the debug information of a RelWithDebInfo build.
set(CPACK_STRIP_FILES ON)

# Installed under /usr. The udev rule may name an absolute folder
# (TRAVIX_UDEV_RULES_DIR), so the package is staged through DESTDIR.
# (CPACK_INSTALL_PREFIX is the prefix of that staged install.)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_SET_DESTDIR ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qt6-qpa-plugins, fonts-dejavu-core, fonts-droid-fallback, fonts-noto-cjk, fonts-noto-core")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${PROJECT_SOURCE_DIR}/packaging/debian/postinst
    ${PROJECT_SOURCE_DIR}/packaging/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
