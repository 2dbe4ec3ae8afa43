#pragma once

#include <QPointer>
#include <QString>
#include <functional>

#include "app/FeatureHost.h"
#include "devices/CVarnisUSBDevice.h"

class CMacroControlUI;

// The macro panel of the current keyboard or mouse page, reached from the
// main window: its buttons, the name list, the delay cells, the action
// list's menu, and recording from captured keys and mouse buttons. Every
// change of the action list is saved to the macro's file at once.
class MacroCommands {
 public:
  explicit MacroCommands(FeatureHost& window);

  void OnRoute(const RouteCall& call);
  // The panel of the current page when it has one.
  CMacroControlUI* Panel() const;

  // Recording: the capture mode (4 append, 8 before the selected row, 16
  // after it, 32 replacing it) and timing (1 real time, 2 fixed, 3 none).
  void StartRecording(int mode, int timing);
  void StopRecording();

  // Deletes the selected macro after asking; key assignments of every
  // profile are renumbered.
  void DeleteMacro();

  // Test seams: the file dialogs and the questions to the user.
  using FileChooser = std::function<QString(bool save)>;
  using Question = std::function<int(const QString& text, bool isLanguageId, int buttons)>;
  void SetFileChooser(FileChooser chooser) { chooser_ = std::move(chooser); }
  void SetQuestion(Question question) { question_ = std::move(question); }

  static constexpr const char* kFileFilter = "Macro Files(*.mac)";
  static constexpr const char* kMenuFile = "XML\\Menus\\macro_action_menu.xml";

 private:
  CVarnisUSBDevice* CurrentDevice() const;
  void OnClick(CVarnisUSBDevice& device, CMacroControlUI& panel, const QString& name);
  void OnMenuCommand(CMacroControlUI& panel, const QString& name);
  void OnHookMessage(CMacroControlUI& panel, const QString& name, const RouteCall& call);
  void Rename(CVarnisUSBDevice& device, CMacroControlUI& panel);
  void Import(CVarnisUSBDevice& device, CMacroControlUI& panel);
  void Export(CMacroControlUI& panel);
  void ShowMenu(QPoint where);
  int Ask(const QString& languageId, int buttons);

  FeatureHost& window_;
  FileChooser chooser_;
  Question question_;
  // The page whose panel is recording.
  QPointer<CVarnisUSBDevice> recordingDevice_;
};
