#include "toolkit/CEditUI.h"

#include <QEvent>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpressionValidator>

#include "toolkit/SkinValue.h"

namespace toolkit {

CEditUI::CEditUI(QWidget* parent) : CControlUI(parent) { CreateEditor(false); }

QWidget* CEditUI::Editor() const {
  return line_ != nullptr ? static_cast<QWidget*>(line_) : static_cast<QWidget*>(multi_);
}

void CEditUI::CreateEditor(bool multiLine) {
  const QString current = line_ != nullptr || multi_ != nullptr ? GetText() : QString();
  if (QWidget* old = Editor())
    old->deleteLater();
  line_ = nullptr;
  multi_ = nullptr;
  if (multiLine) {
    multi_ = new QPlainTextEdit;
    multi_->setPlainText(current);
    connect(multi_, &QPlainTextEdit::textChanged, this, [this] {
      // Programmatic changes run with signals blocked.
      if (maxChar_ > 0 && multi_->toPlainText().size() > maxChar_) {
        QSignalBlocker block(multi_);
        multi_->setPlainText(multi_->toPlainText().left(maxChar_));
        multi_->moveCursor(QTextCursor::End);
      }
      SendNotify(DUI_MSGTYPE_TEXTCHANGED);
    });
    multi_->installEventFilter(this);
  } else {
    line_ = new QLineEdit;
    line_->setText(current);
    line_->setFrame(false);
    connect(line_, &QLineEdit::textEdited, this, [this] { SendNotify(DUI_MSGTYPE_TEXTCHANGED); });
    connect(line_, &QLineEdit::returnPressed, this, [this] {
      SendNotify(DUI_MSGTYPE_RETURN);
      if (leaveOnReturn_ && line_ != nullptr)
        line_->clearFocus();
    });
    line_->installEventFilter(this);
  }
  SetInnerWidget(Editor());
  SetMaxChar(maxChar_);
  SetReadOnly(readOnly_);
  SetPasswordMode(password_);
  SetNumberOnly(numberOnly_);
  UpdateAppearance();
}

void CEditUI::SetMultiLine(bool multiLine) {
  if (multiLine != IsMultiLine())
    CreateEditor(multiLine);
}

QString CEditUI::GetText() const {
  return line_ != nullptr ? line_->text() : multi_->toPlainText();
}

void CEditUI::SetText(const QString& text) { CControlUI::SetText(text); }

void CEditUI::ReloadText() {
  // What the user typed is no language text: only the tooltip follows.
  setToolTip(GetToolTip());
}

void CEditUI::UpdateTextDisplay() {
  // What an edit holds is never a language id, even where its tooltip is.
  const QString text = GetRawText();
  if (line_ != nullptr) {
    line_->setText(text);
  } else {
    QSignalBlocker block(multi_);
    multi_->setPlainText(text);
  }
}

void CEditUI::SetMaxChar(int maxChar) {
  maxChar_ = std::max(maxChar, 0);
  if (line_ != nullptr)
    line_->setMaxLength(maxChar_ > 0 ? maxChar_ : 32767);
}

void CEditUI::SetReadOnly(bool readOnly) {
  readOnly_ = readOnly;
  if (line_ != nullptr)
    line_->setReadOnly(readOnly);
  else
    multi_->setReadOnly(readOnly);
}

void CEditUI::SetPasswordMode(bool password) {
  password_ = password;
  if (line_ != nullptr)
    line_->setEchoMode(password ? QLineEdit::Password : QLineEdit::Normal);
}

namespace {

// Digits only, and at most `max` as a number (an empty field is allowed
// while typing).
class DigitsUpToValidator : public QValidator {
 public:
  DigitsUpToValidator(int max, QObject* parent) : QValidator(parent), max_(max) {}
  State validate(QString& input, int&) const override {
    for (QChar c : input)
      if (!c.isDigit() || c.unicode() > 0x7F)
        return Invalid;
    if (max_ >= 0 && !input.isEmpty() && input.toLongLong() > max_)
      return Invalid;
    return Acceptable;
  }

 private:
  int max_;
};

}  // namespace

void CEditUI::SetNumberOnly(bool numberOnly) {
  numberOnly_ = numberOnly;
  if (line_ == nullptr)
    return;
  QValidator* old = const_cast<QValidator*>(line_->validator());
  line_->setValidator(numberOnly ? new DigitsUpToValidator(maxNumber_, line_) : nullptr);
  delete old;
}

void CEditUI::SetMaxNumber(int max) {
  maxNumber_ = max;
  SetNumberOnly(true);
}

void CEditUI::SetSel(int start, int end) {
  if (line_ != nullptr) {
    const int stop = end < 0 ? static_cast<int>(line_->text().size()) : end;
    line_->setSelection(start, stop - start);
  } else {
    QTextCursor cursor = multi_->textCursor();
    cursor.setPosition(start);
    cursor.setPosition(end < 0 ? static_cast<int>(multi_->toPlainText().size()) : end,
                       QTextCursor::KeepAnchor);
    multi_->setTextCursor(cursor);
  }
}

void CEditUI::SetFocus() { Editor()->setFocus(Qt::OtherFocusReason); }

bool CEditUI::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Editor()) {
    switch (event->type()) {
      case QEvent::FocusIn:
        SendNotify(DUI_MSGTYPE_SETFOCUS);
        break;
      case QEvent::FocusOut:
        SendNotify(DUI_MSGTYPE_KILLFOCUS);
        break;
      case QEvent::KeyPress:
        if (multi_ != nullptr && !wantReturn_) {
          auto* key = static_cast<QKeyEvent*>(event);
          if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            SendNotify(DUI_MSGTYPE_RETURN);
            return true;
          }
        }
        break;
      default:
        break;
    }
  }
  return CControlUI::eventFilter(watched, event);
}

void CEditUI::UpdateAppearance() {
  CControlUI::UpdateAppearance();
  if (line_ != nullptr) {
    line_->setAlignment(textLayout_.Alignment());
    line_->setTextMargins(Scale(textLayout_.padding.left()), Scale(textLayout_.padding.top()),
                          Scale(textLayout_.padding.right()),
                          Scale(textLayout_.padding.bottom()));
    line_->setPlaceholderText(placeholder_);
  } else if (multi_ != nullptr) {
    multi_->setPlaceholderText(placeholder_);
  }
}

bool CEditUI::SetAttribute(const QString& name, const QString& value) {
  auto setBool = [&](auto setter) {
    auto b = SkinValue::ParseBool(value);
    if (!b)
      return false;
    (this->*setter)(*b);
    return true;
  };
  if (name == "maxchar") {
    auto v = SkinValue::ParseInt(value);
    if (!v)
      return false;
    SetMaxChar(*v);
    return true;
  }
  if (name == "readonly")
    return setBool(&CEditUI::SetReadOnly);
  if (name == "password")
    return setBool(&CEditUI::SetPasswordMode);
  if (name == "numberonly")
    return setBool(&CEditUI::SetNumberOnly);
  if (name == "maxnumber") {
    auto v = SkinValue::ParseInt(value);
    if (!v)
      return false;
    SetMaxNumber(*v);
    return true;
  }
  if (name == "wantreturn") {
    auto b = SkinValue::ParseBool(value);
    if (!b)
      return false;
    wantReturn_ = *b;
    return true;
  }
  if (name == "tipvalue") {
    placeholder_ = value;
    UpdateAppearance();
    return true;
  }
  if (name == "nativebkcolor") {
    auto c = SkinValue::ParseColor(value);
    if (!c)
      return false;
    QPalette palette = Editor()->palette();
    palette.setColor(QPalette::Base, *c);
    Editor()->setPalette(palette);
    return true;
  }
  if (name == "align" || name == "textpadding") {
    if (!textLayout_.Apply(name, value))
      return false;
    UpdateAppearance();
    return true;
  }
  return CControlUI::SetAttribute(name, value);
}

}  // namespace toolkit
