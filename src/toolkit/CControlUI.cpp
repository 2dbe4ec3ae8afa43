#include "toolkit/CControlUI.h"

#include <QContextMenuEvent>
#include <QPainter>
#include <QStringList>

#include "platform/DebugChannel.h"
#include "toolkit/CContainerUI.h"
#include "toolkit/CPaintManagerUI.h"
#include "toolkit/CRenderEngine.h"
#include "toolkit/CResourceManager.h"
#include "toolkit/SkinValue.h"

namespace toolkit {

CControlUI::CControlUI(QWidget* parent) : QWidget(parent) {}

CControlUI::~CControlUI() {
  if (holder_ != nullptr)
    holder_->ForgetItem(this);
  if (manager_ != nullptr)
    manager_->UnregisterControl(this);
}

void CControlUI::SetName(const QString& name) {
  if (name == objectName())
    return;
  const QString old = objectName();
  setObjectName(name);
  if (manager_ != nullptr)
    manager_->OnControlRenamed(this, old);
}

void CControlUI::SetManager(CPaintManagerUI* manager, bool init) {
  if (manager_ == manager)
    return;
  if (manager_ != nullptr)
    manager_->UnregisterControl(this);
  manager_ = manager;
  if (manager_ != nullptr) {
    manager_->RegisterControl(this);
    UpdateAppearance();
    UpdateTextDisplay();
    if (init)
      DoInit();
  }
}

CControlUI* CControlUI::GetParent() const {
  for (QWidget* w = parentWidget(); w != nullptr; w = w->parentWidget()) {
    if (auto* control = qobject_cast<CControlUI*>(w))
      return control;
  }
  return nullptr;
}

QString CControlUI::GetText() const {
  if (!resourceText_)
    return text_;
  return CResourceManager::GetInstance()->GetText(text_);
}

void CControlUI::SetText(const QString& text) {
  text_ = text;
  UpdateTextDisplay();
  update();
}

void CControlUI::SetResourceText(bool resourceText) {
  if (resourceText_ == resourceText)
    return;
  resourceText_ = resourceText;
  ReloadText();
}

QString CControlUI::GetToolTip() const {
  if (!resourceText_)
    return toolTip_;
  return CResourceManager::GetInstance()->GetText(toolTip_);
}

void CControlUI::SetToolTip(const QString& tip) {
  toolTip_ = tip;
  setToolTip(GetToolTip());
}

void CControlUI::ReloadText() {
  UpdateTextDisplay();
  setToolTip(GetToolTip());
  update();
}

bool CControlUI::IsVisible() const {
  if (!visible_)
    return false;
  const CControlUI* parent = GetParent();
  return parent == nullptr || parent->IsVisible();
}

void CControlUI::SetVisible(bool visible) {
  if (visible_ == visible)
    return;
  visible_ = visible;
  // A widget without a parent would become a window of its own when shown.
  if (parentWidget() != nullptr)
    QWidget::setVisible(visible);
  NeedParentUpdate();
}

void CControlUI::SetEnabled(bool enabled) {
  enabled_ = enabled;
  QWidget::setEnabled(enabled);
  UpdateAppearance();
  update();
}

void CControlUI::SetMouseEnabled(bool enabled) {
  mouseEnabled_ = enabled;
  setAttribute(Qt::WA_TransparentForMouseEvents, !enabled);
}

void CControlUI::SetFixedWidth(int width) {
  fixedWidth_ = std::max(width, 0);
  NeedParentUpdate();
}

void CControlUI::SetFixedHeight(int height) {
  fixedHeight_ = std::max(height, 0);
  NeedParentUpdate();
}

void CControlUI::SetMinWidth(int w) {
  minWidth_ = std::max(w, 0);
  NeedParentUpdate();
}

void CControlUI::SetMinHeight(int h) {
  minHeight_ = std::max(h, 0);
  NeedParentUpdate();
}

void CControlUI::SetMaxWidth(int w) {
  maxWidth_ = std::max(w, 0);
  NeedParentUpdate();
}

void CControlUI::SetMaxHeight(int h) {
  maxHeight_ = std::max(h, 0);
  NeedParentUpdate();
}

void CControlUI::SetPadding(const QMargins& padding) {
  padding_ = padding;
  NeedParentUpdate();
}

void CControlUI::SetFloat(bool isFloat) {
  float_ = isFloat;
  NeedParentUpdate();
}

void CControlUI::SetFloatPos(const QRect& pos) {
  floatPos_ = pos;
  NeedParentUpdate();
}

QRect CControlUI::GetPos() const {
  const QWidget* top = window();
  return QRect(mapTo(top, QPoint(0, 0)), size());
}

void CControlUI::SetBkColor(const QColor& colour) {
  bkColor_ = colour;
  UpdateAppearance();
  update();
}

bool CControlUI::SetBkImage(const QString& image) {
  auto parsed = SkinImage::Parse(image);
  if (!parsed)
    return false;
  bkImageText_ = image;
  bkImage_ = *parsed;
  UpdateAppearance();
  update();
  return true;
}

void CControlUI::SetBorderColor(const QColor& colour) {
  borderColor_ = colour;
  update();
}

void CControlUI::SetBorderSize(int size) {
  borderSize_ = std::max(size, 0);
  update();
}

void CControlUI::SetBorderRound(int radius) {
  borderRound_ = std::max(radius, 0);
  update();
}

void CControlUI::SetTextColor(const QColor& colour) {
  textColor_ = colour;
  UpdateAppearance();
  update();
}

void CControlUI::SetDisabledTextColor(const QColor& colour) {
  disabledTextColor_ = colour;
  UpdateAppearance();
  update();
}

void CControlUI::SetFont(int fontId) {
  fontId_ = fontId;
  UpdateAppearance();
  update();
}

QString CControlUI::GetVirtualWnd() const {
  if (!virtualWnd_.isEmpty())
    return virtualWnd_;
  const CControlUI* parent = GetParent();
  return parent != nullptr ? parent->GetVirtualWnd() : QString();
}

void CControlUI::NeedParentUpdate() {
  if (auto* container = qobject_cast<CContainerUI*>(GetParent()))
    container->RelayoutItems();
}

namespace {

std::optional<Qt::CursorShape> CursorByName(const QString& name) {
  static const std::pair<const char*, Qt::CursorShape> kCursors[] = {
      {"arrow", Qt::ArrowCursor},      {"ibeam", Qt::IBeamCursor},
      {"wait", Qt::WaitCursor},        {"cross", Qt::CrossCursor},
      {"uparrow", Qt::UpArrowCursor},  {"size", Qt::SizeAllCursor},
      {"icon", Qt::ArrowCursor},       {"sizenwse", Qt::SizeFDiagCursor},
      {"sizenesw", Qt::SizeBDiagCursor}, {"sizewe", Qt::SizeHorCursor},
      {"sizens", Qt::SizeVerCursor},   {"sizeall", Qt::SizeAllCursor},
      {"hand", Qt::PointingHandCursor}, {"no", Qt::ForbiddenCursor},
  };
  for (const auto& [key, shape] : kCursors)
    if (name.compare(QLatin1String(key), Qt::CaseInsensitive) == 0)
      return shape;
  return std::nullopt;
}

}  // namespace

bool CControlUI::SetAttribute(const QString& name, const QString& value) {
  auto setInt = [&](auto setter) {
    auto v = SkinValue::ParseInt(value);
    if (!v)
      return false;
    (this->*setter)(*v);
    return true;
  };
  auto setColor = [&](auto setter) {
    auto c = SkinValue::ParseColor(value);
    if (!c)
      return false;
    (this->*setter)(*c);
    return true;
  };
  auto setBool = [&](auto setter) {
    auto b = SkinValue::ParseBool(value);
    if (!b)
      return false;
    (this->*setter)(*b);
    return true;
  };

  if (name == "name") {
    SetName(value);
  } else if (name == "text") {
    SetText(value);
  } else if (name == "tooltip") {
    SetToolTip(value);
  } else if (name == "userdata") {
    SetUserData(value);
  } else if (name == "tag") {
    auto v = SkinValue::ParseInt(value);
    if (!v)
      return false;
    SetTag(static_cast<uintptr_t>(*v));
  } else if (name == "resourcetext") {
    return setBool(&CControlUI::SetResourceText);
  } else if (name == "visible") {
    return setBool(&CControlUI::SetVisible);
  } else if (name == "enabled") {
    return setBool(&CControlUI::SetEnabled);
  } else if (name == "mouse") {
    return setBool(&CControlUI::SetMouseEnabled);
  } else if (name == "menu") {
    auto b = SkinValue::ParseBool(value);
    if (!b)
      return false;
    contextMenu_ = *b;
  } else if (name == "width") {
    return setInt(&CControlUI::SetFixedWidth);
  } else if (name == "height") {
    return setInt(&CControlUI::SetFixedHeight);
  } else if (name == "minwidth") {
    return setInt(&CControlUI::SetMinWidth);
  } else if (name == "minheight") {
    return setInt(&CControlUI::SetMinHeight);
  } else if (name == "maxwidth") {
    return setInt(&CControlUI::SetMaxWidth);
  } else if (name == "maxheight") {
    return setInt(&CControlUI::SetMaxHeight);
  } else if (name == "padding") {
    auto m = SkinValue::ParseMargins(value);
    if (!m)
      return false;
    SetPadding(*m);
  } else if (name == "float") {
    return setBool(&CControlUI::SetFloat);
  } else if (name == "pos") {
    auto r = SkinValue::ParseRectLTRB(value);
    if (!r)
      return false;
    SetFloatPos(*r);
    SetFixedWidth(r->width());
    SetFixedHeight(r->height());
  } else if (name == "bkcolor") {
    return setColor(&CControlUI::SetBkColor);
  } else if (name == "bkimage") {
    return SetBkImage(value);
  } else if (name == "bordercolor") {
    return setColor(&CControlUI::SetBorderColor);
  } else if (name == "bordersize") {
    return setInt(&CControlUI::SetBorderSize);
  } else if (name == "borderround") {
    auto s = SkinValue::ParseSize(value);
    auto v = s ? std::optional<int>(s->width()) : SkinValue::ParseInt(value);
    if (!v)
      return false;
    SetBorderRound(*v);
  } else if (name == "textcolor") {
    return setColor(&CControlUI::SetTextColor);
  } else if (name == "disabledtextcolor") {
    return setColor(&CControlUI::SetDisabledTextColor);
  } else if (name == "font") {
    return setInt(&CControlUI::SetFont);
  } else if (name == "virtualwnd") {
    SetVirtualWnd(value);
  } else if (name == "cursor") {
    auto shape = CursorByName(value);
    if (!shape)
      return false;
    setCursor(*shape);
  } else {
    return false;
  }
  return true;
}

QStringList CControlUI::ApplyAttributeList(const QString& list) {
  QStringList rejected;
  auto attributes = SkinValue::ParseAttributeList(list);
  if (!attributes)
    return {list};
  for (const auto& [name, value] : *attributes)
    if (!SetAttribute(name, value))
      rejected << name;
  return rejected;
}

void CControlUI::DoTimer(UINT id) { SendNotify(DUI_MSGTYPE_TIMER, id, 0); }

void CControlUI::OnDpiChanged() {
  UpdateAppearance();
  update();
}

void CControlUI::UpdateAppearance() {
  if (inner_ == nullptr)
    return;
  QPalette palette = inner_->palette();
  if (textColor_.isValid()) {
    for (auto role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text}) {
      palette.setColor(QPalette::Active, role, textColor_);
      palette.setColor(QPalette::Inactive, role, textColor_);
    }
  }
  if (disabledTextColor_.isValid()) {
    for (auto role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
      palette.setColor(QPalette::Disabled, role, disabledTextColor_);
  }
  inner_->setPalette(palette);
  inner_->setFont(EffectiveFont());
}

void CControlUI::SetInnerWidget(QWidget* inner) {
  inner_ = inner;
  if (inner_ != nullptr) {
    inner_->setParent(this);
    inner_->setGeometry(rect());
    inner_->show();
    UpdateAppearance();
  }
}

QFont CControlUI::EffectiveFont() const {
  QFont font = fontId_ >= 0 && CPaintManagerUI::HasFont(fontId_)
                   ? CPaintManagerUI::GetFont(fontId_)
                   : CPaintManagerUI::GetDefaultFont();
  if (font.pixelSize() > 0)
    font.setPixelSize(std::max(1, Scale(font.pixelSize())));
  return font;
}

int CControlUI::Scale(int value) const {
  return manager_ != nullptr ? manager_->GetDPIObj()->Scale(value) : value;
}

bool CControlUI::SendNotify(const QString& type, WPARAM wParam, LPARAM lParam) {
  if (manager_ == nullptr)
    return false;
  manager_->SendNotify(this, type, wParam, lParam);
  return true;
}

void CControlUI::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  PaintBackground(painter);
}

void CControlUI::PaintBackground(QPainter& painter) {
  const QRect rc = rect();
  const int radius = Scale(borderRound_);
  if (bkColor_.isValid() && bkColor_.alpha() > 0) {
    if (radius > 0)
      CRenderEngine::FillRoundRect(painter, rc, radius, bkColor_);
    else
      CRenderEngine::DrawColor(painter, rc, bkColor_);
  }
  if (!bkImage_.IsEmpty())
    CRenderEngine::DrawImage(painter, rc, bkImage_);
  if (borderSize_ > 0 && borderColor_.isValid()) {
    if (radius > 0)
      CRenderEngine::DrawRoundRect(painter, rc, Scale(borderSize_), radius, borderColor_);
    else
      CRenderEngine::DrawRect(painter, rc, Scale(borderSize_), borderColor_);
  }
}

void CControlUI::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (inner_ != nullptr)
    inner_->setGeometry(rect());
}

void CControlUI::contextMenuEvent(QContextMenuEvent* event) {
  if (!contextMenu_) {
    QWidget::contextMenuEvent(event);
    return;
  }
  if (manager_ != nullptr) {
    TNotifyUI msg;
    msg.sType = DUI_MSGTYPE_MENU;
    msg.pSender = this;
    msg.ptMouse = event->globalPos();
    manager_->SendNotify(msg);
  }
  event->accept();
}

}  // namespace toolkit
