#include "app/TestUiHook.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QJsonObject>
#include <QJsonValue>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QSlider>
#include <QTimer>
#include <QValidator>
#include <QWindow>
#include <algorithm>
#include <climits>
#include <cmath>
#include <functional>
#include <memory>
#include <optional>

#include "platform/DebugChannel.h"
#include "platform/LocalMessageServer.h"
#include "platform/SocketMessage.h"
#include "toolkit/CButtonUI.h"
#include "toolkit/CComboUI.h"
#include "toolkit/CControlUI.h"
#include "toolkit/CEditUI.h"
#include "toolkit/CListLabelElementUI.h"
#include "toolkit/CListUI.h"
#include "toolkit/CSliderUI.h"
#include "toolkit/CWindowWnd.h"

using namespace toolkit;

namespace TestUiHook {

namespace {

using Action = std::function<void()>;

void Debug(const QString& text) { platform::DebugOutput(("test hook: " + text).toStdString()); }

QString Quoted(const QString& text) { return '"' + text + '"'; }

std::optional<int> WholeNumber(const QJsonValue& value) {
  if (!value.isDouble())
    return std::nullopt;
  const double d = value.toDouble();
  if (!std::isfinite(d) || std::floor(d) != d || d < INT_MIN || d > INT_MAX)
    return std::nullopt;
  return static_cast<int>(d);
}

// The window of the modal widget that keeps the user from reaching `window`,
// or null. Qt blocks every window but the modal one and those that belong to
// it (their transient parents lead to it).
QWidget* BlockingModal(const CWindowWnd* window) {
  QWidget* modal = QApplication::activeModalWidget();
  if (modal == nullptr || modal->window() == window)
    return nullptr;
  const QWindow* modalWindow = modal->window()->windowHandle();
  for (const QWindow* w = window->windowHandle(); w != nullptr; w = w->transientParent())
    if (w == modalWindow)
      return nullptr;
  return modal->window();
}

// The shown toolkit windows in the order a user meets them: the modal
// window, the active one, then windows that belong to another window before
// that window.
QList<CWindowWnd*> OpenWindows() {
  QList<CWindowWnd*> windows;
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    auto* window = qobject_cast<CWindowWnd*>(widget);
    if (window != nullptr && window->isVisible() && !window->IsDestroying())
      windows.append(window);
  }
  const QWidget* modal = QApplication::activeModalWidget();
  const QWidget* active = QApplication::activeWindow();
  const auto rank = [&](const CWindowWnd* w) {
    if (modal != nullptr && modal->window() == w)
      return 0;
    return w == active ? 1 : 2;
  };
  const auto ownerDepth = [](const CWindowWnd* w) {
    int depth = 0;
    for (const CWindowWnd* o = w->GetOwner(); o != nullptr && depth < 64; o = o->GetOwner())
      ++depth;
    return depth;
  };
  std::stable_sort(windows.begin(), windows.end(), [&](CWindowWnd* a, CWindowWnd* b) {
    if (rank(a) != rank(b))
      return rank(a) < rank(b);
    return ownerDepth(a) > ownerDepth(b);
  });
  return windows;
}

// The control a user would reach under that name, or why there is none.
CControlUI* FindTarget(const QString& name, QString* error) {
  bool hidden = false;
  bool disabled = false;
  for (CWindowWnd* window : OpenWindows()) {
    // In layout order.
    for (CControlUI* control : window->findChildren<CControlUI*>(name)) {
      if (control->GetManager() == nullptr)
        continue;  // not part of a window's controls (yet)
      if (!control->IsVisible()) {
        hidden = true;
        continue;
      }
      if (!control->IsEnabled() || !control->isEnabled()) {
        disabled = true;
        continue;
      }
      if (QWidget* modal = BlockingModal(window)) {
        *error = QStringLiteral("%1 is in a window blocked by the modal window %2")
                     .arg(Quoted(name), Quoted(modal->objectName()));
        return nullptr;
      }
      return control;
    }
  }
  if (disabled)
    *error = QStringLiteral("%1 is disabled").arg(Quoted(name));
  else if (hidden)
    *error = QStringLiteral("%1 is not visible").arg(Quoted(name));
  else
    *error = QStringLiteral("no control %1 in a shown window").arg(Quoted(name));
  return nullptr;
}

QString WrongClass(const CControlUI* control, const QString& type, const char* wanted) {
  return QStringLiteral("%1 is a %2; %3 needs %4")
      .arg(Quoted(control->GetName()), control->GetClass(), type, QLatin1String(wanted));
}

template <typename T>
T* Inner(const CControlUI* control) {
  return control->findChild<T*>(QString(), Qt::FindDirectChildrenOnly);
}

void SendFocus(QWidget* widget, QEvent::Type type) {
  QFocusEvent event(type, Qt::MouseFocusReason);
  QCoreApplication::sendEvent(widget, &event);
}

// A left click in the middle of the widget.
void SendClick(QWidget* widget) {
  QPointer<QWidget> guard(widget);
  const QPointF local = QRectF(widget->rect()).center();
  const QPointF global = widget->mapToGlobal(local);
  QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QCoreApplication::sendEvent(widget, &press);
  if (guard.isNull())
    return;  // the press removed it
  QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton,
                      Qt::NoModifier);
  QCoreApplication::sendEvent(widget, &release);
}

QString PrepareClick(CControlUI* control, Action* action) {
  auto* button = qobject_cast<CButtonUI*>(control);
  if (button == nullptr)
    return WrongClass(control, "click", "a Button or Option");
  QPointer<QAbstractButton> inner = Inner<QAbstractButton>(button);
  *action = [button = QPointer<CButtonUI>(button), inner] {
    // The inner button's click (pressed, released, clicked) is what the mouse
    // and the space bar end in; an option selects or toggles on it.
    if (!inner.isNull())
      inner->click();
    else if (!button.isNull())
      button->Activate();
  };
  return {};
}

QString PrepareSetText(CControlUI* control, const QJsonObject& request, Action* action) {
  auto* edit = qobject_cast<CEditUI*>(control);
  if (edit == nullptr)
    return WrongClass(control, "settext", "an Edit or RichEdit");
  const QJsonValue textValue = request.value("text");
  if (!textValue.isString())
    return QStringLiteral("settext needs a \"text\" string");
  const QString text = textValue.toString();
  if (edit->IsReadOnly())
    return QStringLiteral("%1 is read-only").arg(Quoted(edit->GetName()));
  // What a user could not type is refused rather than cut or dropped.
  if (edit->GetMaxChar() > 0 && text.size() > edit->GetMaxChar())
    return QStringLiteral("%1 takes at most %2 characters")
        .arg(Quoted(edit->GetName()))
        .arg(edit->GetMaxChar());
  QPointer<QLineEdit> line;
  QPointer<QPlainTextEdit> multi;
  if (edit->IsMultiLine()) {
    multi = Inner<QPlainTextEdit>(edit);
  } else {
    line = Inner<QLineEdit>(edit);
    if (text.contains('\n'))
      return QStringLiteral("%1 holds a single line").arg(Quoted(edit->GetName()));
    if (line != nullptr && line->validator() != nullptr) {
      QString probe = text;
      int position = 0;
      if (line->validator()->validate(probe, position) == QValidator::Invalid)
        return QStringLiteral("%1 does not take %2").arg(Quoted(edit->GetName()), Quoted(text));
    }
  }
  QPointer<QWidget> editor = line.isNull() ? static_cast<QWidget*>(multi.data()) : line.data();
  if (editor.isNull())
    return QStringLiteral("%1 has no text field").arg(Quoted(edit->GetName()));
  *action = [editor, line, multi, text] {
    // The user clicks into the field. Only the active window can take the
    // keyboard focus; in any other the field is told as if it had.
    if (!editor->hasFocus()) {
      if (editor->isActiveWindow())
        editor->setFocus(Qt::MouseFocusReason);
      if (!editor.isNull() && !editor->hasFocus())
        SendFocus(editor, QEvent::FocusIn);
    }
    // One edit of the user's: everything selected and typed over, through the
    // field's own editing (its signals and limits).
    if (!line.isNull()) {
      line->selectAll();
      line->insert(text);
    } else if (!multi.isNull()) {
      multi->selectAll();
      multi->insertPlainText(text);
    }
    // And leaves it.
    if (editor.isNull())
      return;
    if (editor->hasFocus())
      editor->clearFocus();
    else
      SendFocus(editor, QEvent::FocusOut);
  };
  return {};
}

QString PrepareSetValue(CControlUI* control, const QJsonObject& request, Action* action) {
  auto* slider = qobject_cast<CSliderUI*>(control);
  if (slider == nullptr)
    return WrongClass(control, "setvalue", "a Slider");
  const auto value = WholeNumber(request.value("value"));
  if (!value)
    return QStringLiteral("setvalue needs a whole number \"value\"");
  if (*value < slider->GetMinValue() || *value > slider->GetMaxValue())
    return QStringLiteral("%1 goes from %2 to %3")
        .arg(Quoted(slider->GetName()))
        .arg(slider->GetMinValue())
        .arg(slider->GetMaxValue());
  QPointer<QSlider> inner = Inner<QSlider>(slider);
  if (inner.isNull())
    return QStringLiteral("%1 has no slider").arg(Quoted(slider->GetName()));
  *action = [inner, value = *value] {
    // A drag: the thumb is pressed, moved to the value and released.
    inner->setSliderDown(true);
    if (!inner.isNull())
      inner->setSliderPosition(value);
    if (!inner.isNull())
      inner->setSliderDown(false);
  };
  return {};
}

QString PrepareSelect(CControlUI* control, const QJsonObject& request, Action* action) {
  auto* combo = qobject_cast<CComboUI*>(control);
  auto* list = qobject_cast<CListUI*>(control);
  if (combo == nullptr && list == nullptr)
    return WrongClass(control, "select", "a Combo or List");
  const auto index = WholeNumber(request.value("index"));
  if (!index || *index < 0)
    return QStringLiteral("select needs an \"index\" of 0 or more");
  const int count = combo != nullptr ? combo->GetCount() : list->GetCount();
  if (*index >= count)
    return QStringLiteral("%1 has %2 items").arg(Quoted(control->GetName())).arg(count);

  if (combo != nullptr) {
    QPointer<QComboBox> box = Inner<QComboBox>(combo);
    if (box.isNull())
      return QStringLiteral("%1 has no drop-down box").arg(Quoted(combo->GetName()));
    *action = [box, index = *index] {
      // What the box does when the user picks an item from its drop-down list.
      box->setCurrentIndex(index);
      if (!box.isNull())
        emit box->activated(index);
      if (!box.isNull())
        emit box->textActivated(box->itemText(index));
    };
    return {};
  }

  CControlUI* row = list->GetItemAt(*index);
  if (!row->IsVisible())
    return QStringLiteral("item %1 of %2 is not visible").arg(*index).arg(Quoted(list->GetName()));
  if (!row->IsEnabled())
    return QStringLiteral("item %1 of %2 is disabled").arg(*index).arg(Quoted(list->GetName()));
  *action = [list = QPointer<CListUI>(list), row = QPointer<CControlUI>(row), index = *index] {
    if (list.isNull() || row.isNull())
      return;
    list->EnsureVisible(row);
    // A text row selects itself when clicked; other rows are selected as
    // the list does it.
    if (auto* label = qobject_cast<CListLabelElementUI*>(row.data()))
      SendClick(label);
    else
      list->SelectItem(index, false, true);
  };
  return {};
}

// Checks the request and finds its control; on success `action` performs
// it, and cannot fail any more. Returns the error otherwise.
QString Prepare(const QJsonObject& request, Action* action, QString* what) {
  const QString type = request.value("type").toString();
  const QString name = request.value("control").toString();
  static const QStringList kTypes = {"click", "settext", "setvalue", "select"};
  if (!kTypes.contains(type))
    return QStringLiteral("%1 (click, settext, setvalue or select)")
        .arg(type.isEmpty() ? QStringLiteral("no \"type\"")
                            : QStringLiteral("unknown type %1").arg(Quoted(type)));
  if (name.isEmpty())
    return QStringLiteral("no \"control\" name");
  QString error;
  CControlUI* control = FindTarget(name, &error);
  if (control == nullptr)
    return error;
  *what = QStringLiteral("%1 %2 in %3").arg(type, Quoted(name), control->window()->objectName());
  if (type == "click")
    return PrepareClick(control, action);
  if (type == "settext")
    return PrepareSetText(control, request, action);
  if (type == "setvalue")
    return PrepareSetValue(control, request, action);
  return PrepareSelect(control, request, action);
}

platform::SocketMessage Result(const QString& error) {
  QJsonObject fields{{"ok", error.isEmpty()}};
  if (!error.isEmpty())
    fields.insert("error", error);
  return platform::SocketMessage::WithFields(kResultName, fields);
}

void HandleRequest(const platform::SocketMessage& message,
                   const platform::LocalMessageServer::Reply& reply) {
  Action action;
  QString what;
  const QString error = Prepare(message.fields, &action, &what);
  if (!error.isEmpty()) {
    Debug(error);
    reply(Result(error));
    return;
  }
  Debug(what);
  // The action may open a modal window, whose event loop runs until a later
  // request closes it. The answer cannot wait for that: it goes out as soon
  // as an event loop runs inside the action, or else when the action is done.
  auto answered = std::make_shared<bool>(false);
  const auto answer = [answered, reply] {
    if (*answered)
      return;
    *answered = true;
    reply(Result({}));
  };
  {
    QObject whileRunning;  // its end takes back the early answer
    QTimer::singleShot(0, &whileRunning, answer);
    action();
  }
  answer();
}

}  // namespace

bool RequestedByEnvironment() {
  return qEnvironmentVariable("TRAVIX_TEST_UI") == QLatin1String("1");
}

void Install(platform::LocalMessageServer& server) {
  server.SetRequestHandler(kRequestName, HandleRequest);
}

}  // namespace TestUiHook
