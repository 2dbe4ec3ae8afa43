#pragma once

#include "toolkit/CControlUI.h"
#include "toolkit/TextLayout.h"

class QLineEdit;
class QPlainTextEdit;

namespace toolkit {

// A text field: "textchanged" when the user edits, "return" on Enter,
// "setfocus" and "killfocus" when it gains and loses the keyboard focus.
class CEditUI : public CControlUI {
  Q_OBJECT
 public:
  explicit CEditUI(QWidget* parent = nullptr);
  QString GetClass() const override { return QStringLiteral("EditUI"); }

  QString GetText() const override;
  void SetText(const QString& text) override;
  void SetMaxChar(int maxChar);
  int GetMaxChar() const { return maxChar_; }
  void SetReadOnly(bool readOnly);
  bool IsReadOnly() const { return readOnly_; }
  void SetPasswordMode(bool password);
  void SetNumberOnly(bool numberOnly);
  // Digits only, up to `max` as a number.
  void SetMaxNumber(int max);
  // Selects the text from `start` to `end` (-1: to the end).
  void SetSel(int start, int end);
  void SetFocus();
  // Enter leaves a single-line field (as a click elsewhere does), so the
  // value is settled on Enter and on leaving alike.
  void SetLeaveOnReturn(bool leave) { leaveOnReturn_ = leave; }
  bool IsMultiLine() const { return multi_ != nullptr; }
  void ReloadText() override;

  bool SetAttribute(const QString& name, const QString& value) override;

 protected:
  // Replaces the single-line field by a multi-line one (rich edits).
  void SetMultiLine(bool multiLine);
  bool eventFilter(QObject* watched, QEvent* event) override;
  void UpdateTextDisplay() override;
  void UpdateAppearance() override;

 private:
  void CreateEditor(bool multiLine);
  QWidget* Editor() const;

  QLineEdit* line_ = nullptr;
  QPlainTextEdit* multi_ = nullptr;
  TextLayout textLayout_;
  int maxChar_ = 255;
  bool leaveOnReturn_ = false;
  bool readOnly_ = false;
  bool password_ = false;
  bool numberOnly_ = false;
  int maxNumber_ = -1;
  bool wantReturn_ = false;
  QString placeholder_;

};

}  // namespace toolkit
