#pragma once

#include <QDate>
#include <functional>

#include "app/FeatureHost.h"
#include "toolkit/UIDefines.h"

class CSetWnd;
class LanguageCommands;

// Opens the settings window: from the button "setbtn" (beside the main
// window) or on message 0x0C15 (centred), one at a time, modal. It is built
// afresh each time, so the versions are those of the devices attached then.
class SettingsWindowCommands {
 public:
  // `remember` is told the window while it runs, and null afterwards.
  SettingsWindowCommands(FeatureHost& window, LanguageCommands& language,
                         std::function<void(toolkit::CWindowWnd*)> remember,
                         std::function<toolkit::UINT()> closeMessage);

  void Open(bool centred);
  bool IsOpen() const { return open_ != nullptr; }
  CSetWnd* Window() const { return open_; }
  // What day it is (tests).
  void SetClock(std::function<QDate()> today) { today_ = std::move(today); }
  // Told once the window is shown, before its modal loop (tests).
  void SetShownListener(std::function<void(CSetWnd&)> shown) { shown_ = std::move(shown); }

 private:
  void OnRoute(const RouteCall& call);

  FeatureHost& window_;
  LanguageCommands& language_;
  std::function<void(toolkit::CWindowWnd*)> remember_;
  std::function<toolkit::UINT()> closeMessage_;
  std::function<QDate()> today_ = [] { return QDate::currentDate(); };
  std::function<void(CSetWnd&)> shown_;
  CSetWnd* open_ = nullptr;
};
