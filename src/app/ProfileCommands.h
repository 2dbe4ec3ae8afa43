#pragma once

#include <QString>
#include <functional>

#include "app/FeatureHost.h"

class CDeviceProfileUI;
class CVarnisUSBDevice;

// The main window's profile commands: the buttons of the profile panels
// (new, copy, delete, rename, import, export, reset, defaults), the switch
// to the profile chosen in a panel's combo (timer 1055), a page asking for
// a profile (0x0D00), and the function tabs reaching the profile panel.
class ProfileCommands {
 public:
  // Asks the user for a file: `save` for a file to write. Empty: cancelled.
  using FileChooser = std::function<QString(bool save)>;
  // Asks the user to confirm (1) or tells (0) with a language id or a text.
  using Question = std::function<int(const QString& text, bool isLanguageId, int buttons)>;

  explicit ProfileCommands(FeatureHost& window);

  // Seams for tests; the defaults are the file dialogs and the message box.
  void SetFileChooser(FileChooser chooser) { chooser_ = std::move(chooser); }
  // Replaces the message box (tests); an empty one brings the box back.
  void SetQuestion(Question question) { question_ = std::move(question); }

  static constexpr const char* kFileFilter = "Profile Files(*.json)";
  static constexpr const char* kPaletteFile = "color_option_info.config";

  void OnRoute(const RouteCall& call);
  void OnTab(const RouteCall& call);
  // Makes the combo's profile the device's current one and writes it.
  void SwitchProfile(CVarnisUSBDevice* device);
  // The panel's actions without their questions (the command line asks
  // for them outright). The current profile back to the factory settings,
  // written to the device; false when it could not be reset.
  bool ResetCurrentProfile(CVarnisUSBDevice* device);

 private:
  void OnClick(const QString& name);
  bool Confirm(const char* languageId);
  void Tell(const QString& text, bool isLanguageId);
  void AfterProfileLoaded(CVarnisUSBDevice* device, bool keysAndMacros);
  CDeviceProfileUI* PanelOf(CVarnisUSBDevice* device) const;

  FeatureHost& window_;
  int Ask(const QString& text, bool isLanguageId, int buttons);

  FileChooser chooser_;
  Question question_;
};
