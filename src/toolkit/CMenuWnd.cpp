#include "toolkit/CMenuWnd.h"

#include <QFile>
#include <QMenu>
#include <QXmlStreamReader>
#include <functional>

#include "platform/DebugChannel.h"
#include "platform/WindowMessages.h"
#include "toolkit/CPaintManagerUI.h"
#include "toolkit/CResourceManager.h"
#include "toolkit/SkinFileLocator.h"
#include "toolkit/SkinValue.h"

namespace toolkit {

CMenuWnd::CMenuWnd(platform::WindowHandle owner, bool closesItself)
    : menu_(new QMenu), owner_(owner) {
  connect(menu_, &QMenu::triggered, this, &CMenuWnd::Chosen);
  if (closesItself)
    connect(menu_, &QMenu::aboutToHide, this, [this] { deleteLater(); });
}

CMenuWnd::~CMenuWnd() { delete menu_; }

CMenuWnd* CMenuWnd::CreateMenu(const QString& xmlFile, QPoint point,
                               platform::WindowHandle owner) {
  auto* menu = new CMenuWnd(owner, true);
  if (!menu->Load(xmlFile)) {
    delete menu;
    return nullptr;
  }
  menu->menu_->popup(point);
  return menu;
}

std::unique_ptr<CMenuWnd> CMenuWnd::BuildMenu(const QString& xmlFile,
                                              platform::WindowHandle owner) {
  std::unique_ptr<CMenuWnd> menu(new CMenuWnd(owner, false));
  if (!menu->Load(xmlFile))
    return nullptr;
  return menu;
}

bool CMenuWnd::Load(const QString& xmlFile) {
  QString name = CResourceManager::GetInstance()->GetXmlPath(xmlFile);
  if (name.isEmpty())
    name = xmlFile;
  QFile file(SkinFileLocator::Locate(CPaintManagerUI::GetResourcePath(), name));
  if (file.fileName().isEmpty() || !file.open(QIODevice::ReadOnly)) {
    errors_ << QStringLiteral("%1: menu file not found").arg(name);
    platform::DebugOutput(("skin: " + errors_.last()).toStdString());
    return false;
  }
  QXmlStreamReader xml(&file);
  if (!xml.readNextStartElement() || xml.name() != QLatin1String("Menu")) {
    errors_ << QStringLiteral("%1: root element must be Menu").arg(name);
    return false;
  }
  std::function<void(QMenu*)> readItems = [&](QMenu* into) {
    while (xml.readNextStartElement()) {
      if (xml.name() == QLatin1String("MenuSeparator")) {
        into->addSeparator();
        xml.skipCurrentElement();
        continue;
      }
      if (xml.name() != QLatin1String("MenuElement")) {
        errors_ << QStringLiteral("%1:%2: unknown entry <%3>")
                       .arg(name)
                       .arg(xml.lineNumber())
                       .arg(xml.name().toString());
        xml.skipCurrentElement();
        continue;
      }
      const auto attrs = xml.attributes();
      const bool resourceText =
          SkinValue::ParseBool(attrs.value("resourcetext").toString()).value_or(false);
      QString text = attrs.value("text").toString();
      if (resourceText)
        text = CResourceManager::GetInstance()->GetText(text);
      // Children make a sub-menu.
      auto* submenu = new QMenu(text, into);
      readItems(submenu);
      QAction* action = submenu->isEmpty() ? into->addAction(text) : into->addMenu(submenu);
      if (submenu->isEmpty())
        delete submenu;
      action->setObjectName(attrs.value("name").toString());
      action->setData(attrs.value("userdata").toString());
      action->setEnabled(SkinValue::ParseBool(attrs.value("enabled").toString()).value_or(true));
      action->setVisible(SkinValue::ParseBool(attrs.value("visible").toString()).value_or(true));
      if (attrs.hasAttribute("checked")) {
        action->setCheckable(true);
        action->setChecked(SkinValue::ParseBool(attrs.value("checked").toString()).value_or(false));
      }
    }
  };
  readItems(menu_);
  if (xml.hasError()) {
    errors_ << QStringLiteral("%1:%2: %3").arg(name).arg(xml.lineNumber()).arg(xml.errorString());
    return false;
  }
  return true;
}

void CMenuWnd::Chosen(QAction* action) {
  MenuCmd cmd;
  cmd.szName = action->objectName();
  cmd.szUserData = action->data().toString();
  cmd.szText = action->text();
  cmd.bChecked = action->isChecked();
  platform::SendWindowMessage(owner_, WM_MENUCLICK, reinterpret_cast<WPARAM>(&cmd), 0);
}

bool CMenuWnd::ChooseItem(const QString& name) {
  for (QAction* action : menu_->findChildren<QAction*>()) {
    if (action->objectName() == name && action->isEnabled()) {
      action->trigger();
      return true;
    }
  }
  return false;
}

}  // namespace toolkit
