#include "toolkit/CNotifyPump.h"

namespace toolkit {

bool CNotifyPump::AddVirtualWnd(const QString& name, CNotifyPump* handler) {
  if (name.isEmpty() || handler == nullptr || virtualWnds_.contains(name))
    return false;
  virtualWnds_.insert(name, handler);
  return true;
}

bool CNotifyPump::RemoveVirtualWnd(const QString& name) { return virtualWnds_.remove(name) > 0; }

bool CNotifyPump::NotifyPump(TNotifyUI& msg) {
  if (!msg.sVirtualWnd.isEmpty()) {
    auto it = virtualWnds_.constFind(msg.sVirtualWnd);
    if (it != virtualWnds_.constEnd() && *it != this)
      return (*it)->NotifyPump(msg);
  }
  return HandleNotify(msg);
}

}  // namespace toolkit
