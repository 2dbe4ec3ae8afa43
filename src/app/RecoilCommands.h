#pragma once

#include <QString>
#include <functional>

#include "app/FeatureHost.h"

class CShootControlUI;
class CVarnisMouseDevice;

// The mouse page's recoil patterns, reached from the main window: the gun
// and bullet choice, the bullet editor (kept in the gun's pattern file when
// an edit is left), resetting, importing and exporting a gun's pattern, and
// sending all four patterns to the mouse. Each acts only while the page
// shown is a mouse.
class RecoilCommands {
 public:
  // The file dialogs' filter: the shipped patterns end in ".Shoot", and the
  // dialogs match patterns case-sensitively.
  static constexpr const char* kFileFilter = "Shoot Files(*.shoot *.Shoot *.SHOOT)";

  explicit RecoilCommands(FeatureHost& window);

  void OnRoute(const RouteCall& call);

  // The file dialog (replaced in tests): the path chosen, empty when
  // cancelled.
  using FileChooser = std::function<QString(bool save)>;
  void SetFileChooser(FileChooser chooser) { chooser_ = std::move(chooser); }
  // Tells the user (a language id); replaced in tests.
  using Teller = std::function<void(const QString& id)>;
  void SetTeller(Teller teller) { teller_ = std::move(teller); }

  static constexpr const char* kImportRefusedText = "shoot_import_invalid_text";
  static constexpr const char* kImportFailedText = "shoot_import_failed_text";
  static constexpr const char* kExportFailedText = "shoot_export_failed_text";

 private:
  CVarnisMouseDevice* CurrentMouse() const;
  void Tell(const char* id);
  void Import(CShootControlUI& panel);
  void Export(CShootControlUI& panel);

  FeatureHost& window_;
  FileChooser chooser_;
  Teller teller_;
};
