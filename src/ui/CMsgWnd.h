#pragma once

#include "toolkit/WindowImplBase.h"

// The program's message box: a title, a text (usually a language id) and
// one or two buttons. Closed with 1 by "confirm_btn", with 0 by
// "cancel_btn" or "closebtn"; it deletes itself after its last message.
class CMsgWnd : public toolkit::WindowImplBase {
  Q_OBJECT
 public:
  QString GetWindowClassName() const override { return QStringLiteral("MsgWnd"); }
  QString GetSkinFile() const override { return QStringLiteral("XML_MSG"); }

  void SetTitle(const QString& title);
  void SetText(const QString& text, bool isLanguageId);
  // Mode 0: only "confirm_btn"; mode 1: both buttons; others keep the skin's.
  void SetButtons(int mode);
  // 48, 72, ... 192 are taken; anything else is replaced by 96.
  void SetDpi(int dpi);
  int Dpi() const { return dpi_; }

 protected:
  bool HandleNotify(toolkit::TNotifyUI& msg) override;
  void OnFinalMessage() override;

 private:
  int dpi_ = 96;
};

// Shows a modal message box centred on its owner and returns 1 (confirmed)
// or 0 (cancelled or closed).
int ShowMessageBox(toolkit::CWindowWnd* owner, const QString& title, const QString& text, int dpi,
                   bool textIsLanguageId, int buttonMode);
