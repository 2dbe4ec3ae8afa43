#pragma once

#include "toolkit/WindowImplBase.h"

// The program's main window.
class CMainWnd : public toolkit::WindowImplBase {
  Q_OBJECT
 public:
  CMainWnd();
  ~CMainWnd() override;

  QString GetWindowClassName() const override { return QStringLiteral("MainWnd"); }
  QString GetSkinFile() const override { return QStringLiteral("XML_MAIN"); }
  void InitWindow() override;

 protected:
  bool HandleNotify(toolkit::TNotifyUI& msg) override;
  toolkit::LRESULT OnDestroy(toolkit::WPARAM wParam, toolkit::LPARAM lParam,
                             bool& handled) override;
};
