#pragma once

#include <array>
#include <cstdint>

// The window messages the program exchanges with other programs, known by
// their registration strings. Ids are the same everywhere in the process.
struct ShellMessages {
  static constexpr const char* kInstanceName = "RUDAVAVE DADAV UDU417";
  static constexpr const char* kForwardName = "{4695579F-999A-41d4-9FAF-EFFCE93EBF15}";
  static constexpr const char* kLightControlNoticeName = "{4695579F-999A-41d4-9FAF-EFFCE93EBF16}";
  static constexpr const char* kLightControlRequestName =
      "{4695579F-999A-41d4-9FAF-EFFCE93EBF17}";
  static constexpr const char* kToolQueryName = "{4695579F-999A-41d4-9FAF-EFFCE93EBF18}";
  static constexpr const char* kAudioRecordName = "{4695579F-999A-41d4-9FAF-EFFCE93EBE19}";

  // The main window's list: 14 hook messages, 6 mouse messages (the first and
  // fifth name are equal, so they share an id), 4 game events.
  static constexpr std::array<const char*, 24> kMainWindowNames = {
      "WM_HOOK_KEY_SINGLEKEY_MSG",        "WM_HOOK_KEY_HITKEY_MSG",
      "WM_HOOK_KEY_KBMACRO_MSG",          "WM_HOOK_KEY_MSMACRO_MSG",
      "WM_HOOK_KEY_KBMACROSINGLE_MSG",    "WM_HOOK_KEY_KBMACROPREVIOUS_MSG",
      "WM_HOOK_KEY_KBMACROLATER_MSG",     "WM_HOOK_MOU_SINGLEKEY_MSG",
      "WM_HOOK_MOU_HITKEY_MSG",           "WM_HOOK_MOU_KBMACRO_MSG",
      "WM_HOOK_MOU_MSMACRO_MSG",          "WM_HOOK_KEY_MSMACROSINGLE_MSG",
      "WM_HOOK_KEY_MSMACROPREVIOUS_MSG",  "WM_HOOK_KEY_MSMACROLATER_MSG",
      "UWM_MOUSERBUTTONDOWN_USER_MSG",    "UWM_MOUSELBUTTONUP_USER_MSG",
      "UWM_MOUSELBUTTONDOWN_USER_MSG",    "UWM_MOUSERBUTTONUP_USER_MSG",
      "UWM_MOUSERBUTTONDOWN_USER_MSG",    "UWM_MOUSEMOVE_USER_MSG",
      "Game_Start",                       "Game_End",
      "Game_Kill",                        "Game_Death",
  };

  uint32_t InstanceMessage = 0;
  uint32_t ForwardMessage = 0;
  uint32_t LightControlNotice = 0;
  uint32_t LightControlRequest = 0;
  uint32_t ToolQueryMessage = 0;
  uint32_t AudioRecordMessage = 0;
  std::array<uint32_t, 24> MainWindowList{};

  // The instance message comes first, before the single-instance check.
  static uint32_t RegisterInstanceMessage();
  // The other five, in this order: forward, light-control notice and request,
  // tool query, audio record; then the main window's list.
  static void RegisterShellMessages();
  static const ShellMessages& Get();
};
