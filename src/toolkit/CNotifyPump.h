#pragma once

#include <QHash>
#include <QString>

#include "toolkit/UIDefines.h"

namespace toolkit {

// Routes notifications: a control (or one of its containers) may name a
// "virtualwnd"; notifications from it go to the handler registered under that
// name, the others to this object's own handler.
class CNotifyPump {
 public:
  virtual ~CNotifyPump() = default;

  bool AddVirtualWnd(const QString& name, CNotifyPump* handler);
  bool RemoveVirtualWnd(const QString& name);
  CNotifyPump* GetVirtualWnd(const QString& name) const { return virtualWnds_.value(name); }
  // True when a handler took the notification.
  bool NotifyPump(TNotifyUI& msg);

 protected:
  // This object's own handling; true when handled.
  virtual bool HandleNotify(TNotifyUI& /*msg*/) { return false; }

 private:
  QHash<QString, CNotifyPump*> virtualWnds_;
};

}  // namespace toolkit
