#pragma once

#include <QColor>
#include <QMargins>
#include <QRect>
#include <QWidget>
#include <optional>

#include "toolkit/SkinImage.h"
#include "toolkit/UIDefines.h"

namespace toolkit {

class CPaintManagerUI;
class CControlUI;

// A control that lists other controls as its items (containers, combos). An
// item deleted directly must leave that list.
class IControlHolder {
 public:
  virtual void ForgetItem(CControlUI* item) = 0;

 protected:
  ~IControlHolder() = default;
};

// Base of every control built from a skin: a QWidget that keeps the skin's
// attributes (sizes in unscaled skin units, colours, images, texts) and raises
// notifications through its window's paint manager. Its objectName is its
// skin name.
class CControlUI : public QWidget {
  Q_OBJECT

 public:
  explicit CControlUI(QWidget* parent = nullptr);
  ~CControlUI() override;

  virtual QString GetClass() const { return QStringLiteral("ControlUI"); }

  QString GetName() const { return objectName(); }
  void SetName(const QString& name);

  CPaintManagerUI* GetManager() const { return manager_; }
  // Attaches the control (and its children) to a window's manager; null
  // detaches it. Registers names, option groups and resource texts.
  virtual void SetManager(CPaintManagerUI* manager, bool init = true);
  // The nearest control that contains this one.
  CControlUI* GetParent() const;

  // Text. With the resource-text flag the text is a language id and GetText
  // returns the language's text for it.
  virtual QString GetText() const;
  virtual void SetText(const QString& text);
  QString GetRawText() const { return text_; }
  bool IsResourceText() const { return resourceText_; }
  void SetResourceText(bool resourceText);
  QString GetToolTip() const;
  void SetToolTip(const QString& tip);
  QString GetUserData() const { return userData_; }
  void SetUserData(const QString& data) { userData_ = data; }
  uintptr_t GetTag() const { return tag_; }
  void SetTag(uintptr_t tag) { tag_ = tag; }
  // Shows the current texts again (language switch).
  virtual void ReloadText();

  // Visible means: this control and every control that contains it are
  // visible, whether or not the window is shown.
  virtual bool IsVisible() const;
  virtual void SetVisible(bool visible = true);
  bool IsOwnVisible() const { return visible_; }
  virtual bool IsEnabled() const { return enabled_; }
  virtual void SetEnabled(bool enabled = true);
  bool IsMouseEnabled() const { return mouseEnabled_; }
  void SetMouseEnabled(bool enabled);

  // Sizes in skin units (scaled by the window's DPI when laid out); 0 = free.
  int GetFixedWidth() const { return fixedWidth_; }
  int GetFixedHeight() const { return fixedHeight_; }
  void SetFixedWidth(int width);
  void SetFixedHeight(int height);
  int GetMinWidth() const { return minWidth_; }
  int GetMinHeight() const { return minHeight_; }
  int GetMaxWidth() const { return maxWidth_; }
  int GetMaxHeight() const { return maxHeight_; }
  void SetMinWidth(int w);
  void SetMinHeight(int h);
  void SetMaxWidth(int w);
  void SetMaxHeight(int h);
  QMargins GetPadding() const { return padding_; }
  void SetPadding(const QMargins& padding);
  bool IsFloat() const { return float_; }
  void SetFloat(bool isFloat);
  QRect GetFloatPos() const { return floatPos_; }
  void SetFloatPos(const QRect& pos);
  // The control's rectangle in its window's coordinates.
  QRect GetPos() const;

  QColor GetBkColor() const { return bkColor_; }
  void SetBkColor(const QColor& colour);
  QString GetBkImage() const { return bkImageText_; }
  bool SetBkImage(const QString& image);
  QColor GetBorderColor() const { return borderColor_; }
  void SetBorderColor(const QColor& colour);
  int GetBorderSize() const { return borderSize_; }
  void SetBorderSize(int size);
  int GetBorderRound() const { return borderRound_; }
  void SetBorderRound(int radius);
  QColor GetTextColor() const { return textColor_; }
  virtual void SetTextColor(const QColor& colour);
  QColor GetDisabledTextColor() const { return disabledTextColor_; }
  virtual void SetDisabledTextColor(const QColor& colour);
  int GetFont() const { return fontId_; }
  virtual void SetFont(int fontId);

  QString GetVirtualWnd() const;
  void SetVirtualWnd(const QString& name) { virtualWnd_ = name; }

  void Invalidate() { update(); }
  // Asks the containing control to lay out its items again.
  void NeedParentUpdate();

  // Applies one skin attribute; false when the name is unknown or the value
  // cannot be used.
  virtual bool SetAttribute(const QString& name, const QString& value);
  // name="value" pairs; returns the names that were not applied.
  QStringList ApplyAttributeList(const QString& list);

  IControlHolder* GetHolder() const { return holder_; }
  void SetHolder(IControlHolder* holder) { holder_ = holder; }

  // Called by the paint manager for a timer of this control; raises "timer".
  virtual void DoTimer(UINT id);
  // Called once the control is attached to a manager.
  virtual void DoInit() {}
  // Sizes and fonts must follow a DPI change.
  virtual void OnDpiChanged();

 protected:
  // Shows GetText() in the control's widget.
  virtual void UpdateTextDisplay() {}
  // Colours, font or images changed.
  virtual void UpdateAppearance();
  // The Qt widget that does the work (a label, a button ...) filling this control.
  void SetInnerWidget(QWidget* inner);
  QWidget* InnerWidget() const { return inner_; }
  // The font for this control's text, scaled for the DPI.
  QFont EffectiveFont() const;
  int Scale(int value) const;
  bool SendNotify(const QString& type, WPARAM wParam = 0, LPARAM lParam = 0);

  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  // Background colour, image and border, in that order.
  void PaintBackground(QPainter& painter);

 private:
  CPaintManagerUI* manager_ = nullptr;
  IControlHolder* holder_ = nullptr;
  QWidget* inner_ = nullptr;
  QString text_;
  QString toolTip_;
  QString userData_;
  QString virtualWnd_;
  uintptr_t tag_ = 0;
  bool resourceText_ = false;
  bool visible_ = true;
  bool enabled_ = true;
  bool mouseEnabled_ = true;
  bool contextMenu_ = false;
  int fixedWidth_ = 0;
  int fixedHeight_ = 0;
  int minWidth_ = 0;
  int minHeight_ = 0;
  int maxWidth_ = 9999;
  int maxHeight_ = 9999;
  QMargins padding_;
  bool float_ = false;
  QRect floatPos_;
  QColor bkColor_;
  QString bkImageText_;
  SkinImage bkImage_;
  QColor borderColor_;
  int borderSize_ = 0;
  int borderRound_ = 0;
  QColor textColor_;
  QColor disabledTextColor_;
  int fontId_ = -1;
};

}  // namespace toolkit
