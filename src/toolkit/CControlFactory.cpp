#include "toolkit/CControlFactory.h"

namespace toolkit {

CControlFactory* CControlFactory::GetInstance() {
  static CControlFactory factory;
  return &factory;
}

QString CControlFactory::Key(const QString& name) {
  QString key = name.toLower();
  if (key.size() > 3 && key.startsWith('c') && key.endsWith("ui"))
    key = key.mid(1, key.size() - 3);
  return key;
}

void CControlFactory::RegistControl(const QString& className, Creator creator) {
  creators_.insert(Key(className), std::move(creator));
}

bool CControlFactory::IsRegistered(const QString& tag) const {
  return creators_.contains(Key(tag));
}

CControlUI* CControlFactory::CreateControl(const QString& tag) const {
  auto it = creators_.constFind(Key(tag));
  return it == creators_.constEnd() ? nullptr : (*it)();
}

}  // namespace toolkit
