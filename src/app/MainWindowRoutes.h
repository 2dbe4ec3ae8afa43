#pragma once

#include <QString>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

// Who acts on a notification, window message, timer or layout tag of the main
// window: the main window itself, or the panel or feature it belongs to. A
// feature registers its handler with the main window when it is built; until
// then its rows are "waiting" (reported on the debug channel when they fire).
enum class RouteOwner {
  MainWindow,
  Profiles,          // profile panel and profile commands
  ProfilePanelTab,   // the profile panel following the function tabs
  KeyAssignment,     // key assignment panel and key capture
  KeyLabels,         // key labels of every mouse and keyboard page
  KeyboardSettings,  // repeat rate and delay, lock flags, sensitivity
  Macros,            // macro recording and the macro editor
  Recoil,            // recoil patterns
  Lighting,          // light panel, per-key lights, game-event lighting
  AudioLighting,     // lighting that follows the music
  ColourPalette,     // the colour palette dialog
  Dpi,               // DPI stages and report rate
  SystemMouse,       // the desktop's pointer settings
  HeadsetAudio,      // the headset's audio panel and voice changer
  SkinChooser,
  SettingsWindow,
  Language,
  Count
};

const char* RouteOwnerName(RouteOwner owner);

// One row of the notification tables: an exact control name, or a prefix
// ending in "_" that a decimal index follows (below `indexLimit` when set).
struct NotifyRoute {
  std::string_view type;
  std::string_view name;
  bool indexed = false;
  RouteOwner owner = RouteOwner::MainWindow;
  // A second feature the row also reaches, after the owner.
  std::optional<RouteOwner> also;
  int indexLimit = -1;
};

// A window message, timer or layout tag and who acts on it.
struct NamedRoute {
  std::string_view kind;  // "message", "timer", "tag"
  std::string_view name;
  RouteOwner owner = RouteOwner::MainWindow;
};

class MainWindowRoutes {
 public:
  // The notification rows in the order they are tested within a type.
  static const std::vector<NotifyRoute>& Notifications();
  // Rows of the "itemselect" type that also refresh the key panel after the
  // first matching row has run.
  static const std::vector<std::string_view>& KeyPanelRefreshNames();
  static const std::vector<NamedRoute>& Others();

  struct Match {
    const NotifyRoute* route = nullptr;
    int index = -1;
  };
  // The first row of `type` that `name` matches.
  static std::optional<Match> Find(std::string_view type, const QString& name);
  static bool IsKeyPanelRefresh(const QString& name);
};
