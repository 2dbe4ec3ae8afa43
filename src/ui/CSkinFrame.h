#pragma once

#include <QPointer>
#include <functional>

#include "toolkit/WindowImplBase.h"

// The background chooser: a small pop-up under the skin button of the main
// window, with pictures, colours, a reset and a picture of the user's own.
// It closes when the user clicks elsewhere and deletes itself when closed.
// What is chosen reaches the windows through the skin observer only.
class CSkinFrame : public toolkit::WindowImplBase {
  Q_OBJECT
 public:
  // Asks for a picture file (empty: cancelled); runs after the chooser closed.
  using FileChooser = std::function<QString()>;
  static constexpr const char* kResetImage = "common/background.png";

  // Creates and shows the chooser with its right edge on the right edge of
  // `button` and its top on the button's bottom. `recordPath`: "main.ini".
  static QPointer<CSkinFrame> Open(toolkit::CWindowWnd* owner, toolkit::CControlUI* button,
                                   const QString& recordPath, FileChooser chooser);

  QString GetWindowClassName() const override { return QStringLiteral("UISkinFrame"); }
  QString GetSkinFile() const override { return QStringLiteral("XML_SKIN"); }

 protected:
  bool HandleNotify(toolkit::TNotifyUI& msg) override;
  void OnFinalMessage() override;

 private:
  void ChooseOwnPicture();

  QPointer<toolkit::CWindowWnd> owner_;
  QString recordPath_;
  FileChooser chooser_;
};
