# What `cmake --install` puts where. The layout follows the freedesktop
# specifications under the install prefix:
#   bin/                      travix, travixctl, travix-send, travix-devsim
#   lib/travix/SDK/           the headset's audio library, loaded by the program
#                             from ../lib/travix/SDK beside its executable
#   share/travix/             skin/ and DefaultData/ (found as ../share/travix)
#   share/applications/       the desktop entry
#   share/metainfo/           the AppStream description
#   share/icons/hicolor/      the icon, in PNG sizes and as SVG
#   share/bash-completion/completions/travixctl
# and the udev rule where udev reads it (TRAVIX_UDEV_RULES_DIR).

set(TRAVIX_APP_ID io.github.travix.Travix)

install(TARGETS travix travixctl travix-send travix-devsim
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET osConfLib)
  # A private library: its path is fixed relative to the executable, never
  # the linker's search path.
  install(TARGETS osConfLib LIBRARY DESTINATION lib/travix/SDK)
endif()

install(DIRECTORY skin DefaultData DESTINATION ${CMAKE_INSTALL_DATADIR}/travix)
install(FILES tools/travixctl/travixctl.bash-completion
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME travixctl)

install(FILES packaging/${TRAVIX_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/${TRAVIX_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# The icons are drawn by packaging/make-icons.sh and kept in the tree.
foreach(size 16 22 24 32 48 64 128 256)
  install(FILES packaging/icons/${TRAVIX_APP_ID}-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME ${TRAVIX_APP_ID}.png)
endforeach()
install(FILES packaging/icons/${TRAVIX_APP_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# Access to the supported devices for the user at the seat. udev reads
# /usr/lib/udev/rules.d (and /etc/udev/rules.d), never /usr/local: under the
# /usr prefix the rule goes to lib/udev/rules.d in it, under any other prefix
# to /usr/lib/udev/rules.d itself (a staged install places it under DESTDIR).
if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  set(travix_udev_default "lib/udev/rules.d")
else()
  set(travix_udev_default "/usr/lib/udev/rules.d")
endif()
set(TRAVIX_UDEV_RULES_DIR "${travix_udev_default}" CACHE PATH
    "Where the udev rule is installed (relative: to the install prefix)")
# Caches made before carry the old relative default, which under a prefix
# other than /usr names a folder udev never reads.
if(TRAVIX_UDEV_RULES_DIR STREQUAL "lib/udev/rules.d" AND NOT CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  message(STATUS "udev rule: ${CMAKE_INSTALL_PREFIX}/lib/udev/rules.d is not read by udev; "
                 "installing to /usr/lib/udev/rules.d")
  set_property(CACHE TRAVIX_UDEV_RULES_DIR PROPERTY VALUE "/usr/lib/udev/rules.d")
endif()
install(FILES udev/70-travix.rules DESTINATION ${TRAVIX_UDEV_RULES_DIR})
