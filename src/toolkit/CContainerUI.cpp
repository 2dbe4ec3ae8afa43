#include "toolkit/CContainerUI.h"

#include <QFrame>
#include <QResizeEvent>
#include <QScrollArea>
#include <QScrollBar>

#include "toolkit/CPaintManagerUI.h"
#include "toolkit/SkinValue.h"

namespace toolkit {

namespace {

constexpr const char* kScrollBarStyle =
    "QScrollBar:vertical { background: transparent; width: 8px; margin: 2px 0 2px 0; }"
    "QScrollBar:horizontal { background: transparent; height: 8px; margin: 0 2px 0 2px; }"
    "QScrollBar::handle { background: #3A404C; border-radius: 3px; }"
    "QScrollBar::handle:hover { background: #4A5160; }"
    "QScrollBar::handle:vertical { min-height: 24px; }"
    "QScrollBar::handle:horizontal { min-width: 24px; }"
    "QScrollBar::add-line, QScrollBar::sub-line { width: 0; height: 0; }"
    "QScrollBar::add-page, QScrollBar::sub-page { background: transparent; }";

}  // namespace

CContainerUI::CContainerUI(Arrangement arrangement, QWidget* parent)
    : CControlUI(parent), arrangement_(arrangement) {}

CContainerUI::~CContainerUI() {
  for (CControlUI* item : items_)
    item->SetHolder(nullptr);
}

void CContainerUI::ForgetItem(CControlUI* item) {
  items_.removeAll(item);
  RelayoutItems();
}

QWidget* CContainerUI::ItemParent() const {
  return content_ != nullptr ? content_ : const_cast<CContainerUI*>(this);
}

bool CContainerUI::Add(CControlUI* control) { return AddAt(control, GetCount()); }

bool CContainerUI::AddAt(CControlUI* control, int index) {
  if (control == nullptr || index < 0 || index > GetCount() || items_.contains(control))
    return false;
  control->setParent(ItemParent());
  items_.insert(index, control);
  control->SetHolder(this);
  // A reparented widget is hidden until shown again.
  control->setHidden(!control->IsOwnVisible());
  if (GetManager() != nullptr)
    control->SetManager(GetManager());
  RelayoutItems();
  return true;
}

bool CContainerUI::Remove(CControlUI* control, bool doNotDestroy) {
  const int index = GetItemIndex(control);
  return index >= 0 && RemoveAt(index, doNotDestroy);
}

bool CContainerUI::RemoveAt(int index, bool doNotDestroy) {
  CControlUI* control = GetItemAt(index);
  if (control == nullptr)
    return false;
  items_.removeAt(index);
  control->SetHolder(nullptr);
  control->SetManager(nullptr);
  control->hide();
  if (doNotDestroy) {
    control->setParent(nullptr);
  } else {
    // Deleted once the current event is over: the item may be the sender of
    // the notification that removes it.
    control->deleteLater();
  }
  RelayoutItems();
  return true;
}

void CContainerUI::RemoveAll() {
  while (!items_.isEmpty())
    RemoveAt(GetCount() - 1);
}

CControlUI* CContainerUI::GetItemAt(int index) const {
  return index >= 0 && index < GetCount() ? items_[index] : nullptr;
}

int CContainerUI::GetItemIndex(CControlUI* control) const {
  return static_cast<int>(items_.indexOf(control));
}

bool CContainerUI::SetItemIndex(CControlUI* control, int index) {
  const int from = GetItemIndex(control);
  if (from < 0 || index < 0 || index >= GetCount())
    return false;
  items_.move(from, index);
  RelayoutItems();
  return true;
}

void CContainerUI::SetInset(const QMargins& inset) {
  inset_ = inset;
  RelayoutItems();
}

void CContainerUI::SetChildPadding(int padding) {
  childPadding_ = std::max(padding, 0);
  RelayoutItems();
}

void CContainerUI::EnableScrollBar(bool vertical, bool horizontal) {
  if (!vertical && !horizontal && scroll_ == nullptr)
    return;
  if (scroll_ == nullptr) {
    scroll_ = new QScrollArea(this);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setWidgetResizable(false);
    scroll_->viewport()->setAutoFillBackground(false);
    content_ = new QWidget;
    scroll_->setWidget(content_);
    // setWidget switches the filling on: the container's own background
    // shows through.
    content_->setAutoFillBackground(false);
    scroll_->setAutoFillBackground(false);
    // Thin bars that sit on the dark skins instead of the desktop's own.
    scroll_->verticalScrollBar()->setStyleSheet(QLatin1String(kScrollBarStyle));
    scroll_->horizontalScrollBar()->setStyleSheet(QLatin1String(kScrollBarStyle));
    scroll_->setGeometry(rect());
    scroll_->show();
    for (CControlUI* item : items_) {
      item->setParent(content_);
      item->setHidden(!item->IsOwnVisible());
    }
  }
  scroll_->setVerticalScrollBarPolicy(vertical ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
  scroll_->setHorizontalScrollBarPolicy(horizontal ? Qt::ScrollBarAsNeeded
                                                   : Qt::ScrollBarAlwaysOff);
  RelayoutItems();
}

bool CContainerUI::HasVerticalScrollBar() const {
  return scroll_ != nullptr && scroll_->verticalScrollBarPolicy() != Qt::ScrollBarAlwaysOff;
}

bool CContainerUI::HasHorizontalScrollBar() const {
  return scroll_ != nullptr && scroll_->horizontalScrollBarPolicy() != Qt::ScrollBarAlwaysOff;
}

void CContainerUI::EnsureVisible(CControlUI* control) {
  // An item, or any control inside one.
  if (scroll_ != nullptr && control != nullptr &&
      (items_.contains(control) || (scroll_->widget() != nullptr && scroll_->widget()->isAncestorOf(control))))
    scroll_->ensureWidgetVisible(control, 0, 0);
}

void CContainerUI::SetManager(CPaintManagerUI* manager, bool init) {
  CControlUI::SetManager(manager, init);
  for (CControlUI* item : items_)
    item->SetManager(manager, init);
}

bool CContainerUI::SetAttribute(const QString& name, const QString& value) {
  if (name == "inset") {
    auto m = SkinValue::ParseMargins(value);
    if (!m)
      return false;
    SetInset(*m);
  } else if (name == "childpadding") {
    auto v = SkinValue::ParseInt(value);
    if (!v)
      return false;
    SetChildPadding(*v);
  } else if (name == "vscrollbar" || name == "hscrollbar") {
    auto b = SkinValue::ParseBool(value);
    if (!b)
      return false;
    const bool vertical = name == "vscrollbar" ? *b : HasVerticalScrollBar();
    const bool horizontal = name == "hscrollbar" ? *b : HasHorizontalScrollBar();
    EnableScrollBar(vertical, horizontal);
  } else {
    return CControlUI::SetAttribute(name, value);
  }
  return true;
}

void CContainerUI::ReloadText() {
  CControlUI::ReloadText();
  for (CControlUI* item : items_)
    item->ReloadText();
}

void CContainerUI::OnDpiChanged() {
  CControlUI::OnDpiChanged();
  for (CControlUI* item : items_)
    item->OnDpiChanged();
  RelayoutItems();
}

void CContainerUI::resizeEvent(QResizeEvent* event) {
  CControlUI::resizeEvent(event);
  if (scroll_ != nullptr)
    scroll_->setGeometry(rect());
  RelayoutItems();
}

void CContainerUI::RelayoutItems() {
  if (placing_)
    return;
  placing_ = true;
  QRect area;
  if (scroll_ != nullptr) {
    const QSize view = scroll_->maximumViewportSize();
    content_->resize(view);
    area = content_->rect();
  } else {
    area = rect();
  }
  area = area.marginsRemoved(ScaledInset());
  switch (arrangement_) {
    case Arrangement::Stack:
    case Arrangement::Pages:
      PlaceStack(area);
      break;
    case Arrangement::Vertical:
      PlaceLine(area, true);
      break;
    case Arrangement::Horizontal:
      PlaceLine(area, false);
      break;
  }
  for (CControlUI* item : items_) {
    if (item->IsOwnVisible() && item->IsFloat())
      PlaceItem(item, FloatRect(item, rect()));
  }
  placing_ = false;
}

void CContainerUI::PlaceItem(CControlUI* item, const QRect& rc) {
  item->setGeometry(rc);
  // A hidden widget gets its resize event only when shown; lay out what it
  // holds now, so positions are right whether or not the window is shown.
  if (!item->isVisible())
    if (auto* container = qobject_cast<CContainerUI*>(item))
      container->RelayoutItems();
}

QMargins CContainerUI::ScaledInset() const {
  return QMargins(Scale(inset_.left()), Scale(inset_.top()), Scale(inset_.right()),
                  Scale(inset_.bottom()));
}

QRect CContainerUI::FloatRect(CControlUI* item, const QRect& area) const {
  const QRect pos = item->GetFloatPos();
  const int w = item->GetFixedWidth() > 0 ? item->GetFixedWidth() : pos.width();
  const int h = item->GetFixedHeight() > 0 ? item->GetFixedHeight() : pos.height();
  return QRect(area.left() + Scale(pos.left()), area.top() + Scale(pos.top()), Scale(w),
               Scale(h));
}

void CContainerUI::PlaceStack(const QRect& area) {
  for (CControlUI* item : items_) {
    if (!item->IsOwnVisible() || item->IsFloat())
      continue;
    const QMargins pad = item->GetPadding();
    QRect r = area.adjusted(Scale(pad.left()), Scale(pad.top()), -Scale(pad.right()),
                            -Scale(pad.bottom()));
    if (item->GetFixedWidth() > 0)
      r.setWidth(Scale(item->GetFixedWidth()));
    if (item->GetFixedHeight() > 0)
      r.setHeight(Scale(item->GetFixedHeight()));
    PlaceItem(item, r);
  }
}

void CContainerUI::PlaceLine(const QRect& area, bool vertical) {
  struct Placement {
    CControlUI* item;
    int main;
  };
  auto fixedMain = [&](CControlUI* c) { return vertical ? c->GetFixedHeight() : c->GetFixedWidth(); };
  auto minMain = [&](CControlUI* c) { return vertical ? c->GetMinHeight() : c->GetMinWidth(); };
  auto maxMain = [&](CControlUI* c) { return vertical ? c->GetMaxHeight() : c->GetMaxWidth(); };
  auto padBefore = [&](CControlUI* c) { return vertical ? c->GetPadding().top() : c->GetPadding().left(); };
  auto padAfter = [&](CControlUI* c) {
    return vertical ? c->GetPadding().bottom() : c->GetPadding().right();
  };

  std::vector<Placement> placements;
  int used = 0;
  int autoCount = 0;
  int autoMinimum = 0;
  for (CControlUI* item : items_) {
    if (!item->IsOwnVisible() || item->IsFloat())
      continue;
    if (!placements.empty())
      used += Scale(childPadding_);
    used += Scale(padBefore(item)) + Scale(padAfter(item));
    const int fixed = fixedMain(item);
    if (fixed > 0) {
      used += Scale(fixed);
    } else {
      ++autoCount;
      autoMinimum += Scale(minMain(item));
    }
    placements.push_back({item, Scale(fixed)});
  }

  QRect box = area;
  if (content_ != nullptr) {
    // Scrolling: the content grows to what the items need.
    const int needed = used + autoMinimum;
    QSize size = content_->size();
    if (vertical && needed > box.height())
      size.setHeight(size.height() + needed - box.height());
    if (!vertical && needed > box.width())
      size.setWidth(size.width() + needed - box.width());
    content_->resize(size);
    box = content_->rect().marginsRemoved(ScaledInset());
  }

  const int total = vertical ? box.height() : box.width();
  int remaining = std::max(total - used, 0);
  int autoLeft = autoCount;
  // Free items share what is left, each kept inside its min and max.
  for (Placement& slot : placements) {
    if (slot.main > 0)
      continue;
    int share = autoLeft > 0 ? remaining / autoLeft : 0;
    share = std::clamp(share, Scale(minMain(slot.item)),
                       std::max(Scale(minMain(slot.item)), Scale(maxMain(slot.item))));
    slot.main = share;
    remaining = std::max(remaining - share, 0);
    --autoLeft;
  }

  int cursor = vertical ? box.top() : box.left();
  for (const Placement& slot : placements) {
    CControlUI* item = slot.item;
    const QMargins pad(Scale(item->GetPadding().left()), Scale(item->GetPadding().top()),
                       Scale(item->GetPadding().right()), Scale(item->GetPadding().bottom()));
    if (vertical) {
      cursor += pad.top();
      int width = box.width() - pad.left() - pad.right();
      if (item->GetFixedWidth() > 0)
        width = Scale(item->GetFixedWidth());
      width = std::clamp(width, Scale(item->GetMinWidth()),
                         std::max(Scale(item->GetMinWidth()), Scale(item->GetMaxWidth())));
      PlaceItem(item, QRect(box.left() + pad.left(), cursor, width, slot.main));
      cursor += slot.main + pad.bottom() + Scale(childPadding_);
    } else {
      cursor += pad.left();
      int height = box.height() - pad.top() - pad.bottom();
      if (item->GetFixedHeight() > 0)
        height = Scale(item->GetFixedHeight());
      height = std::clamp(height, Scale(item->GetMinHeight()),
                          std::max(Scale(item->GetMinHeight()), Scale(item->GetMaxHeight())));
      PlaceItem(item, QRect(cursor, box.top() + pad.top(), slot.main, height));
      cursor += slot.main + pad.right() + Scale(childPadding_);
    }
  }
}

}  // namespace toolkit
