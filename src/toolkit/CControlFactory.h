#pragma once

#include <QHash>
#include <QString>
#include <functional>

namespace toolkit {

class CControlUI;

// The program's own control classes, registered by class name at start-up, so
// that skins can use them as tags. A tag matches a registered name exactly,
// without regard to case, or with the name's "C" prefix and "UI" suffix left
// off ("DeviceOption" finds "CDeviceOptionUI").
class CControlFactory {
 public:
  using Creator = std::function<CControlUI*()>;

  static CControlFactory* GetInstance();

  void RegistControl(const QString& className, Creator creator);
  bool IsRegistered(const QString& tag) const;
  // A new control for the tag, or null.
  CControlUI* CreateControl(const QString& tag) const;
  void Clear() { creators_.clear(); }

 private:
  static QString Key(const QString& name);
  QHash<QString, Creator> creators_;
};

}  // namespace toolkit
