# The layers of the source tree, lowest first, and which folders each may
# include (docs/architecture.md explains them). Shared by the configure-time
# link check below and by cmake/CheckLayers.cmake, which a test runs over the
# sources.
#
# "platform-core" is the part of src/platform/ without the event loop and the
# network (TRAVIX_PLATFORM_CORE); "platform" is all of it.
set(TRAVIX_PLATFORM_CORE
  AtomicFileWriter DataFolders DebugChannel Event HookRecords IndexedName ScreenMetrics SyncHub TickClock
  ThreadRole WorkerThread)
set(TRAVIX_LAYER_protocol "protocol")
set(TRAVIX_LAYER_platform "platform")
set(TRAVIX_LAYER_hid "hid;protocol;platform-core")
set(TRAVIX_LAYER_profiles "profiles;protocol;platform-core")
set(TRAVIX_LAYER_keys "keys;profiles;protocol")
set(TRAVIX_LAYER_lighting "lighting;keys;profiles;protocol;platform-core")
set(TRAVIX_LAYER_macros "macros;keys;profiles;protocol;platform-core")
set(TRAVIX_LAYER_mouse "mouse;lighting;keys;profiles;protocol;platform-core")
set(TRAVIX_LAYER_headset "headset;profiles;protocol;platform-core")
set(TRAVIX_LAYER_recoil "recoil;macros;keys;profiles;protocol;platform-core")
set(TRAVIX_LAYER_settings "settings;profiles;protocol;platform-core")
set(TRAVIX_LAYER_toolkit "toolkit;platform")
set(TRAVIX_LAYER_devicecore "devicecore;headset;hid;lighting;macros;mouse;keys;profiles;protocol;platform")
set(TRAVIX_LAYER_control "control;mouse;lighting;keys;profiles;protocol;platform-core")
set(TRAVIX_LAYER_ui "ui;recoil;headset;settings;toolkit;lighting;macros;mouse;keys;profiles;protocol;platform")
set(TRAVIX_LAYER_devices "devices;devicecore;recoil;headset;ui;toolkit;hid;lighting;macros;mouse;keys;profiles;protocol;platform")
set(TRAVIX_LAYER_app "app;control;settings;devices;devicecore;recoil;headset;ui;toolkit;hid;lighting;macros;mouse;keys;profiles;protocol;platform")
set(TRAVIX_LAYER_sim "sim;hid;keys;profiles;protocol;platform-core")

# The logic libraries: no window, so no Qt Widgets, however indirectly.
set(TRAVIX_LOGIC_LIBRARIES travix_recoil travix_protocol travix_platform_core travix_hid travix_profiles
    travix_keys travix_lighting travix_macros travix_mouse travix_headset travix_devicecore travix_settings
    travix_sim travix_control)

# Fails the configure step when `target` links Qt Widgets through any of our
# own libraries.
function(travix_assert_no_widgets target)
  set(pending ${target})
  set(seen "")
  while(pending)
    list(POP_FRONT pending current)
    if(current IN_LIST seen OR NOT TARGET ${current})
      continue()
    endif()
    list(APPEND seen ${current})
    get_target_property(type ${current} TYPE)
    set(libs "")
    if(NOT type STREQUAL "INTERFACE_LIBRARY")
      get_target_property(direct ${current} LINK_LIBRARIES)
      if(direct)
        list(APPEND libs ${direct})
      endif()
    endif()
    get_target_property(interface ${current} INTERFACE_LINK_LIBRARIES)
    if(interface)
      list(APPEND libs ${interface})
    endif()
    foreach(lib IN LISTS libs)
      string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" lib "${lib}")
      if(lib MATCHES "^Qt6?::Widgets$")
        message(FATAL_ERROR "${target} is a logic library but links Qt Widgets (through ${current})")
      endif()
      if(lib MATCHES "^travix_")
        list(APPEND pending ${lib})
      endif()
    endforeach()
  endwhile()
endfunction()
