#pragma once

#include "app/FeatureHost.h"

class CVarnisMouseDevice;

// The mouse page's settings tabs, reached from the main window: DPI stages
// and their colours, the report rate, the pointer settings and the choice of
// tab. Each acts on the current device when it is a mouse. Also the
// free-standing DPI slider and edit pair of the main window.
class MouseSettingsCommands {
 public:
  explicit MouseSettingsCommands(FeatureHost& window);

  void OnDpiRoute(const RouteCall& call);
  void OnSystemRoute(const RouteCall& call);
  void OnColourRoute(const RouteCall& call);

  // The free-standing pair takes 200 ... 6500 DPI.
  static constexpr int kStandaloneMinDpi = 200;
  static constexpr int kStandaloneMaxDpi = 6500;

  // Test seam: the colour dialog (returns false on cancel).
  using ColourChooser = std::function<bool(uint32_t initial, uint32_t& chosen)>;
  void SetColourChooser(ColourChooser chooser) { chooser_ = std::move(chooser); }

 private:
  CVarnisMouseDevice* CurrentMouse() const;
  void OnStandalonePair(const RouteCall& call);

  FeatureHost& window_;
  ColourChooser chooser_;
};
