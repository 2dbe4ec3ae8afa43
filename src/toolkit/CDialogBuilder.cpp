#include "toolkit/CDialogBuilder.h"

#include <QFile>
#include <QXmlStreamReader>
#include <functional>

#include "platform/DebugChannel.h"
#include "toolkit/CButtonUI.h"
#include "toolkit/CCheckBoxUI.h"
#include "toolkit/CColorPaletteUI.h"
#include "toolkit/CComboUI.h"
#include "toolkit/CContainerUI.h"
#include "toolkit/CControlFactory.h"
#include "toolkit/CEditUI.h"
#include "toolkit/CHorizontalLayoutUI.h"
#include "toolkit/CLabelUI.h"
#include "toolkit/CListContainerElementUI.h"
#include "toolkit/CListLabelElementUI.h"
#include "toolkit/CListUI.h"
#include "toolkit/COptionUI.h"
#include "toolkit/CPaintManagerUI.h"
#include "toolkit/CProgressUI.h"
#include "toolkit/CResourceManager.h"
#include "toolkit/CRichEditUI.h"
#include "toolkit/CSliderUI.h"
#include "toolkit/CTabLayoutUI.h"
#include "toolkit/CTextUI.h"
#include "toolkit/CVerticalLayoutUI.h"
#include "toolkit/SkinFileLocator.h"
#include "toolkit/SkinValue.h"

namespace toolkit {

namespace {

// Includes may nest; a file that includes itself must not loop forever.
constexpr int kMaxIncludeDepth = 16;

}  // namespace

CControlUI* CDialogBuilder::CreateBuiltinControl(const QString& tag) {
  static const QHash<QString, std::function<CControlUI*()>> kBuiltins = {
      {"Control", [] { return new CControlUI; }},
      {"Container", [] { return new CContainerUI; }},
      {"VerticalLayout", [] { return new CVerticalLayoutUI; }},
      {"HorizontalLayout", [] { return new CHorizontalLayoutUI; }},
      {"TabLayout", [] { return new CTabLayoutUI; }},
      {"Label", [] { return new CLabelUI; }},
      {"Text", [] { return new CTextUI; }},
      {"Button", [] { return new CButtonUI; }},
      {"Option", [] { return new COptionUI; }},
      {"CheckBox", [] { return new CCheckBoxUI; }},
      {"Slider", [] { return new CSliderUI; }},
      {"Edit", [] { return new CEditUI; }},
      {"RichEdit", [] { return new CRichEditUI; }},
      {"Combo", [] { return new CComboUI; }},
      {"List", [] { return new CListUI; }},
      {"ListLabelElement", [] { return new CListLabelElementUI; }},
      {"ListContainerElement", [] { return new CListContainerElementUI; }},
      {"Progress", [] { return new CProgressUI; }},
      {"ColorPalette", [] { return new CColorPaletteUI; }},
  };
  auto it = kBuiltins.constFind(tag);
  return it == kBuiltins.constEnd() ? nullptr : (*it)();
}

void CDialogBuilder::Error(const QString& source, const QXmlStreamReader& xml,
                           const QString& what) {
  const QString line = QStringLiteral("%1:%2: %3").arg(source).arg(xml.lineNumber()).arg(what);
  errors_ << line;
  platform::DebugOutput(("skin: " + line).toStdString());
}

CControlUI* CDialogBuilder::Create(const QString& xml, const QString& /*type*/,
                                   IDialogBuilderCallback* callback, CPaintManagerUI* manager,
                                   CControlUI* parent) {
  callback_ = callback;
  manager_ = manager;
  errors_.clear();
  if (xml.trimmed().startsWith('<'))
    return ParseDocument(xml.toUtf8(), QStringLiteral("(text)"), parent, 0);

  QString name = CResourceManager::GetInstance()->GetXmlPath(xml);
  if (name.isEmpty())
    name = xml;
  const QString path = SkinFileLocator::Locate(CPaintManagerUI::GetResourcePath(), name);
  QFile file(path);
  if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) {
    errors_ << QStringLiteral("%1: layout file not found").arg(name);
    platform::DebugOutput(("skin: " + errors_.last()).toStdString());
    return nullptr;
  }
  return ParseDocument(file.readAll(), name, parent, 0);
}

CControlUI* CDialogBuilder::ParseDocument(const QByteArray& data, const QString& source,
                                          CControlUI* parent, int depth) {
  QXmlStreamReader xml(data);
  CControlUI* root = nullptr;
  while (!xml.atEnd()) {
    if (xml.readNext() != QXmlStreamReader::StartElement)
      continue;
    const QString tag = xml.name().toString();
    if (tag == "Window" || tag == "Fragment") {
      // A window holds its settings and one root control; a fragment (for
      // includes) holds any number of controls.
      if (tag == "Window")
        ParseWindowAttributes(xml, source);
      while (xml.readNextStartElement()) {
        const QString child = xml.name().toString();
        if (tag == "Window" && child == "Font") {
          ParseFont(xml, source);
        } else if (tag == "Window" && child == "Default") {
          ParseDefault(xml, source);
        } else {
          CControlUI* control = ParseControl(xml, source, parent, depth);
          if (control != nullptr && root == nullptr)
            root = control;
          if (control != nullptr && root != control) {
            if (tag == "Window") {
              Error(source, xml, "a window has one root control");
              delete control;  // leaves its container, if it was added to one
            } else if (parent == nullptr) {
              Error(source, xml, "a fragment built without a parent keeps only its first control");
              delete control;
            }
          }
        }
      }
    } else {
      root = ParseControl(xml, source, parent, depth);
    }
    break;
  }
  if (xml.hasError())
    Error(source, xml, xml.errorString());
  return root;
}

void CDialogBuilder::ParseWindowAttributes(QXmlStreamReader& xml, const QString& source) {
  for (const auto& attribute : xml.attributes()) {
    const QString name = attribute.name().toString();
    const QString value = attribute.value().toString();
    bool ok = false;
    if (name == "size" || name == "mininfo" || name == "maxinfo") {
      if (auto size = SkinValue::ParseSize(value); size && manager_ != nullptr) {
        if (name == "size")
          manager_->SetInitSize(*size);
        else if (name == "mininfo")
          manager_->SetMinInfo(*size);
        else
          manager_->SetMaxInfo(*size);
        ok = true;
      } else {
        ok = size.has_value();
      }
    } else if (name == "caption") {
      auto margins = SkinValue::ParseMargins(value);
      if (margins && manager_ != nullptr)
        manager_->SetCaptionRect(QRect(QPoint(margins->left(), margins->top()),
                                       QPoint(margins->right(), margins->bottom())));
      ok = margins.has_value();
    } else if (name == "sizebox") {
      auto margins = SkinValue::ParseMargins(value);
      if (margins && manager_ != nullptr)
        manager_->SetSizeBox(*margins);
      ok = margins.has_value();
    } else if (name == "roundcorner") {
      auto size = SkinValue::ParseSize(value);
      auto radius = size ? std::optional<int>(size->width()) : SkinValue::ParseInt(value);
      if (radius && manager_ != nullptr)
        manager_->SetRoundCorner(*radius);
      ok = radius.has_value();
    }
    if (!ok)
      Error(source, xml, QStringLiteral("Window: unknown or invalid attribute %1=\"%2\"")
                             .arg(name, value));
  }
}

void CDialogBuilder::ParseFont(QXmlStreamReader& xml, const QString& source) {
  const auto attrs = xml.attributes();
  int id = -1;
  QString family;
  int size = 12;
  bool bold = false, underline = false, italic = false, isDefault = false;
  for (const auto& attribute : attrs) {
    const QString name = attribute.name().toString();
    const QString value = attribute.value().toString();
    bool ok = true;
    if (name == "id") {
      auto v = SkinValue::ParseInt(value);
      ok = v.has_value();
      id = v.value_or(-1);
    } else if (name == "name") {
      family = value;
    } else if (name == "size") {
      auto v = SkinValue::ParseInt(value);
      ok = v.has_value();
      size = v.value_or(size);
    } else if (name == "bold" || name == "underline" || name == "italic" || name == "default" ||
               name == "shared") {
      auto b = SkinValue::ParseBool(value);
      ok = b.has_value();
      if (name == "bold") bold = b.value_or(false);
      if (name == "underline") underline = b.value_or(false);
      if (name == "italic") italic = b.value_or(false);
      if (name == "default") isDefault = b.value_or(false);
    } else {
      ok = false;
    }
    if (!ok)
      Error(source, xml,
            QStringLiteral("Font: unknown or invalid attribute %1=\"%2\"").arg(name, value));
  }
  if (id >= 0)
    CPaintManagerUI::AddFont(id, family, size, bold, underline, italic);
  if (isDefault)
    CPaintManagerUI::SetDefaultFont(family, size, bold, underline, italic);
  xml.skipCurrentElement();
}

void CDialogBuilder::ParseDefault(QXmlStreamReader& xml, const QString& source) {
  const auto attrs = xml.attributes();
  const QString tag = attrs.value("name").toString();
  const QString value = attrs.value("value").toString();
  if (tag.isEmpty() || !SkinValue::ParseAttributeList(value))
    Error(source, xml, "Default: needs name and a value of name=\"value\" pairs");
  else if (manager_ != nullptr)
    manager_->AddDefaultAttributeList(tag, value);
  xml.skipCurrentElement();
}

bool CDialogBuilder::AddToParent(CControlUI* parent, CControlUI* child, const QString& where) {
  if (auto* container = qobject_cast<CContainerUI*>(parent))
    return container->Add(child);
  if (auto* combo = qobject_cast<CComboUI*>(parent))
    return combo->Add(child);
  Q_UNUSED(where);
  return false;
}

CControlUI* CDialogBuilder::ParseControl(QXmlStreamReader& xml, const QString& source,
                                         CControlUI* parent, int depth) {
  const QString tag = xml.name().toString();
  if (tag == "Include") {
    const auto attrs = xml.attributes();
    QString file;
    int count = 1;
    for (const auto& attribute : attrs) {
      const QString name = attribute.name().toString();
      if (name == "source")
        file = attribute.value().toString();
      else if (name == "count")
        count = SkinValue::ParseInt(attribute.value().toString()).value_or(-1);
      else
        Error(source, xml, QStringLiteral("Include: unknown attribute %1").arg(name));
    }
    xml.skipCurrentElement();
    if (file.isEmpty() || count < 1) {
      Error(source, xml, "Include: needs source and a count of 1 or more");
      return nullptr;
    }
    if (depth >= kMaxIncludeDepth) {
      Error(source, xml, QStringLiteral("Include: %1 nests too deep").arg(file));
      return nullptr;
    }
    QString name = CResourceManager::GetInstance()->GetXmlPath(file);
    if (name.isEmpty())
      name = file;
    const QString path = SkinFileLocator::Locate(CPaintManagerUI::GetResourcePath(), name);
    QFile included(path);
    if (path.isEmpty() || !included.open(QIODevice::ReadOnly)) {
      Error(source, xml, QStringLiteral("Include: %1 not found").arg(file));
      return nullptr;
    }
    const QByteArray data = included.readAll();
    CControlUI* last = nullptr;
    for (int i = 0; i < count; ++i) {
      if (CControlUI* control = ParseDocument(data, name, parent, depth + 1))
        last = control;
    }
    return last;
  }

  CControlUI* control = CreateBuiltinControl(tag);
  if (control == nullptr && callback_ != nullptr)
    control = callback_->CreateControl(tag);
  if (control == nullptr)
    control = CControlFactory::GetInstance()->CreateControl(tag);
  if (control == nullptr) {
    Error(source, xml, QStringLiteral("unknown tag <%1>").arg(tag));
    xml.skipCurrentElement();
    return nullptr;
  }

  if (manager_ != nullptr) {
    const QString defaults = manager_->GetDefaultAttributeList(tag);
    if (!defaults.isEmpty())
      for (const QString& rejected : control->ApplyAttributeList(defaults))
        Error(source, xml, QStringLiteral("<%1> default: unknown or invalid attribute %2")
                               .arg(tag, rejected));
  }
  for (const auto& attribute : xml.attributes()) {
    const QString name = attribute.name().toString();
    const QString value = attribute.value().toString();
    if (!control->SetAttribute(name, value))
      Error(source, xml,
            QStringLiteral("<%1>: unknown or invalid attribute %2=\"%3\"").arg(tag, name, value));
  }

  while (xml.readNextStartElement()) {
    const bool holdsItems =
        qobject_cast<CContainerUI*>(control) != nullptr || qobject_cast<CComboUI*>(control) != nullptr;
    if (!holdsItems) {
      Error(source, xml, QStringLiteral("<%1> cannot hold <%2>").arg(tag, xml.name().toString()));
      xml.skipCurrentElement();
      continue;
    }
    ParseControl(xml, source, control, depth);
  }

  if (parent != nullptr && !AddToParent(parent, control, source)) {
    Error(source, xml, QStringLiteral("<%1> cannot be placed here").arg(tag));
    delete control;
    return nullptr;
  }
  return control;
}

}  // namespace toolkit
