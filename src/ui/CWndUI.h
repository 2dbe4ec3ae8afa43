#pragma once

#include <QPointer>

#include "toolkit/CControlUI.h"

// A place in a layout for a widget that is not a toolkit control (a video
// preview, a native editor ...). The attached widget becomes a child of this
// control, always covers it exactly, and is deleted with it unless detached.
class CWndUI : public toolkit::CControlUI {
  Q_OBJECT
 public:
  explicit CWndUI(QWidget* parent = nullptr);
  QString GetClass() const override { return QStringLiteral("Wnd"); }

  // Takes the widget in. A widget attached before is detached first, and the
  // caller owns it again.
  bool Attach(QWidget* widget);
  // Gives the widget back without a parent; null when none is attached.
  QWidget* Detach();
  QWidget* GetHostedWidget() const { return hosted_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  QPointer<QWidget> hosted_;
};
