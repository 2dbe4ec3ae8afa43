#pragma once

#include "app/FeatureHost.h"

class CVarnisKeyboardDevice;

// The keyboard page's behaviour settings, reached from the main window:
// report rate, lock flags, repeat rate and delay, the Fn layer switch and the
// audio sensitivity. Each acts on the current device when it is a keyboard.
class KeyboardSettingsCommands {
 public:
  explicit KeyboardSettingsCommands(FeatureHost& window);

  void OnRoute(const RouteCall& call);

 private:
  CVarnisKeyboardDevice* CurrentKeyboard() const;

  FeatureHost& window_;
};
