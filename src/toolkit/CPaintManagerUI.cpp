#include "toolkit/CPaintManagerUI.h"

#include <QCoreApplication>
#include <QCursor>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QObject>
#include <QSet>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <mutex>

#include "toolkit/CControlUI.h"

namespace toolkit {

namespace {

struct SharedState {
  QString instancePath;
  QString resourcePath;
  int resourceType = 1;
  QHash<int, QFont> fonts;
  std::optional<QFont> defaultFont;
  QList<CPaintManagerUI*> managers;  // guarded by `mutex`
  int allDpi = CDPI::kDefaultDpi;      // the last SetAllDPI, for windows made later
  std::mutex mutex;
};

SharedState& Shared() {
  static SharedState state;
  return state;
}

QString WithSlash(QString path) {
  if (!path.isEmpty() && !path.endsWith('/'))
    path += '/';
  return path;
}

}  // namespace

// Lives on the UI thread; runs the timers and the requests of other threads.
class CPaintManagerUI::TimerHost : public QObject {
 protected:
  bool event(QEvent* e) override {
    // Requests from other threads are queued while they hold the shared lock;
    // taking it orders their writes before the request runs here.
    { std::lock_guard lock(Shared().mutex); }
    return QObject::event(e);
  }
};

CPaintManagerUI::CPaintManagerUI() : host_(std::make_unique<TimerHost>()) {
  std::lock_guard lock(Shared().mutex);
  Shared().managers.append(this);
  dpi_.SetScale(Shared().allDpi);
}

CPaintManagerUI::~CPaintManagerUI() {
  {
    std::lock_guard lock(Shared().mutex);
    Shared().managers.removeAll(this);
  }
  RemoveAllTimers();
  // Controls that outlive the manager must not call back into it.
  const auto controls = controls_;
  for (const CControlUI* control : controls)
    const_cast<CControlUI*>(control)->SetManager(nullptr, false);
  host_.reset();
}

void CPaintManagerUI::SetInstance() {
  const QString exeDir = QCoreApplication::applicationDirPath();
  QString path = exeDir;
  const QString installed = QDir(exeDir).filePath("../share/travix");
  if (!QFileInfo(QDir(exeDir).filePath("skin")).isDir() && QFileInfo(installed).isDir())
    path = QDir::cleanPath(installed);
  SetInstancePath(path);
}

void CPaintManagerUI::SetInstancePath(const QString& path) {
  Shared().instancePath = WithSlash(path);
}

QString CPaintManagerUI::GetInstancePath() { return Shared().instancePath; }

void CPaintManagerUI::SetResourcePath(const QString& path) {
  QString p = path;
  p.replace('\\', '/');
  Shared().resourcePath = WithSlash(p);
}

QString CPaintManagerUI::GetResourcePath() { return Shared().resourcePath; }
void CPaintManagerUI::SetResourceType(int type) { Shared().resourceType = type; }
int CPaintManagerUI::GetResourceType() { return Shared().resourceType; }

int CPaintManagerUI::MessageLoop() { return QCoreApplication::exec(); }

void CPaintManagerUI::PostQuitMessage(int exitCode) { QCoreApplication::exit(exitCode); }

void CPaintManagerUI::ReloadAllText() {
  QList<CPaintManagerUI*> managers;
  {
    std::lock_guard lock(Shared().mutex);
    managers = Shared().managers;
  }
  for (CPaintManagerUI* manager : managers)
    if (manager->root_ != nullptr)
      manager->root_->ReloadText();
}

void CPaintManagerUI::SetAllDPI(int dpi) {
  if (!CDPI::IsAccepted(dpi))
    return;
  QList<CPaintManagerUI*> managers;
  {
    std::lock_guard lock(Shared().mutex);
    managers = Shared().managers;
    Shared().allDpi = dpi;
  }
  for (CPaintManagerUI* manager : managers)
    manager->SetDPI(dpi);
}

void CPaintManagerUI::AddFont(int id, const QString& family, int size, bool bold, bool underline,
                              bool italic) {
  QFont font(family);
  if (size > 0)
    font.setPixelSize(size);
  font.setBold(bold);
  font.setUnderline(underline);
  font.setItalic(italic);
  Shared().fonts.insert(id, font);
}

bool CPaintManagerUI::HasFont(int id) { return Shared().fonts.contains(id); }

QFont CPaintManagerUI::GetFont(int id) {
  return Shared().fonts.value(id, GetDefaultFont());
}

void CPaintManagerUI::SetDefaultFont(const QString& family, int size, bool bold, bool underline,
                                     bool italic) {
  QFont font(family);
  if (size > 0)
    font.setPixelSize(size);
  font.setBold(bold);
  font.setUnderline(underline);
  font.setItalic(italic);
  Shared().defaultFont = font;
}

QFont CPaintManagerUI::GetDefaultFont() {
  if (Shared().defaultFont)
    return *Shared().defaultFont;
  return QGuiApplication::font();
}

void CPaintManagerUI::SetFontFamilyEverywhere(const QString& family) {
  QList<CPaintManagerUI*> managers;
  {
    std::lock_guard lock(Shared().mutex);
    managers = Shared().managers;
  }
  for (QFont& font : Shared().fonts)
    font.setFamilies({family});
  QFont fallback = GetDefaultFont();
  fallback.setFamilies({family});
  Shared().defaultFont = fallback;
  // Fonts are taken when a control is drawn or its inner widget is set up:
  // the inner widgets are set up again and every layout redone.
  for (CPaintManagerUI* manager : managers)
    if (manager->root_ != nullptr)
      manager->root_->OnDpiChanged();
}

int CPaintManagerUI::AddFontFile(const QString& path) {
  return QFontDatabase::addApplicationFont(path);
}

int CPaintManagerUI::AddFontMemory(const QByteArray& data) {
  return QFontDatabase::addApplicationFontFromData(data);
}

void CPaintManagerUI::RemoveAllFonts() {
  Shared().fonts.clear();
  Shared().defaultFont.reset();
  QFontDatabase::removeAllApplicationFonts();
}

void CPaintManagerUI::Init(QWidget* window, platform::WindowHandle handle) {
  window_ = window;
  handle_ = handle;
}

bool CPaintManagerUI::AttachDialog(CControlUI* root) {
  if (root == nullptr)
    return false;
  root_ = root;
  root_->SetManager(this);
  return true;
}

CControlUI* CPaintManagerUI::FindControl(const QString& name) const {
  auto it = names_.constFind(name);
  if (it == names_.constEnd() || it->isEmpty())
    return nullptr;
  return it->first();
}

CControlUI* CPaintManagerUI::FindSubControlByName(CControlUI* parent, const QString& name) const {
  if (parent == nullptr)
    return nullptr;
  if (parent->GetName() == name)
    return parent;
  return parent->findChild<CControlUI*>(name, Qt::FindChildrenRecursively);
}

bool CPaintManagerUI::AddNotifier(INotifyUI* notifier) {
  if (notifier == nullptr || notifiers_.contains(notifier))
    return false;
  notifiers_.append(notifier);
  return true;
}

bool CPaintManagerUI::RemoveNotifier(INotifyUI* notifier) {
  return notifiers_.removeAll(notifier) > 0;
}

void CPaintManagerUI::SendNotify(TNotifyUI& msg, bool async) {
  if (msg.sVirtualWnd.isEmpty() && msg.pSender != nullptr)
    msg.sVirtualWnd = msg.pSender->GetVirtualWnd();
  if (msg.dwTimestamp == 0)
    msg.dwTimestamp = static_cast<uint64_t>(QDateTime::currentMSecsSinceEpoch());
  if (msg.ptMouse.isNull())
    msg.ptMouse = QCursor::pos();
  if (async) {
    QPointer<CControlUI> sender(msg.pSender);
    const bool hadSender = msg.pSender != nullptr;
    QMetaObject::invokeMethod(
        host_.get(),
        [this, msg, sender, hadSender]() mutable {
          if (hadSender && (sender.isNull() || !IsLive(sender.data())))
            return;
          SendNotify(msg, false);
        },
        Qt::QueuedConnection);
    return;
  }
  // A notifier may add or remove notifiers while it runs.
  const QList<INotifyUI*> notifiers = notifiers_;
  for (INotifyUI* notifier : notifiers)
    if (notifiers_.contains(notifier))
      notifier->Notify(msg);
}

void CPaintManagerUI::SendNotify(CControlUI* control, const QString& type, WPARAM wParam,
                                 LPARAM lParam, bool async) {
  TNotifyUI msg;
  msg.sType = type;
  msg.pSender = control;
  msg.wParam = wParam;
  msg.lParam = lParam;
  SendNotify(msg, async);
}

bool CPaintManagerUI::OnUiThread() const { return QThread::currentThread() == host_->thread(); }

bool CPaintManagerUI::SetTimer(CControlUI* control, UINT id, UINT elapseMs) {
  if (control == nullptr)
    return false;
  if (OnUiThread()) {
    if (!IsLive(control))
      return false;
    StartTimerNow(control, id, elapseMs);
    return true;
  }
  // From a worker: the manager cannot go away while the request is queued
  // under the lock; the control is checked again on the UI thread.
  std::lock_guard lock(Shared().mutex);
  if (!Shared().managers.contains(this))
    return false;
  QMetaObject::invokeMethod(
      host_.get(),
      [this, control, id, elapseMs] {
        if (IsLive(control))
          StartTimerNow(control, id, elapseMs);
      },
      Qt::QueuedConnection);
  return true;
}

bool CPaintManagerUI::KillTimer(CControlUI* control, UINT id) {
  if (OnUiThread()) {
    const bool had = HasTimer(control, id);
    KillTimerNow(control, id);
    return had;
  }
  std::lock_guard lock(Shared().mutex);
  if (!Shared().managers.contains(this))
    return false;
  QMetaObject::invokeMethod(
      host_.get(), [this, control, id] { KillTimerNow(control, id); }, Qt::QueuedConnection);
  return true;
}

void CPaintManagerUI::KillTimer(CControlUI* control) {
  for (auto it = timers_.begin(); it != timers_.end();) {
    if (it->first.first == control) {
      it->second->stop();
      it->second->deleteLater();
      it = timers_.erase(it);
    } else {
      ++it;
    }
  }
}

void CPaintManagerUI::RemoveAllTimers() {
  for (auto& [key, timer] : timers_) {
    timer->stop();
    timer->deleteLater();
  }
  timers_.clear();
}

bool CPaintManagerUI::HasTimer(CControlUI* control, UINT id) const {
  const auto it = timers_.find({control, id});
  return it != timers_.end() && it->second->isActive();
}

void CPaintManagerUI::StartTimerNow(CControlUI* control, UINT id, UINT elapseMs) {
  QTimer*& timer = timers_[{control, id}];
  if (timer == nullptr) {
    timer = new QTimer(host_.get());
    QObject::connect(timer, &QTimer::timeout, host_.get(), [this, control, id] {
      if (IsLive(control))
        control->DoTimer(id);
    });
  }
  timer->start(static_cast<int>(elapseMs));
}

void CPaintManagerUI::KillTimerNow(CControlUI* control, UINT id) {
  auto it = timers_.find({control, id});
  if (it == timers_.end())
    return;
  // Stopped and kept: controls that run a timer once and start it again
  // from its timeout (twenty times a second for a preview) reuse it.
  it->second->stop();
}

bool CPaintManagerUI::AddOptionGroup(const QString& group, CControlUI* control) {
  QList<CControlUI*>& members = optionGroups_[group];
  if (members.contains(control))
    return false;
  members.append(control);
  return true;
}

QList<CControlUI*> CPaintManagerUI::GetOptionGroup(const QString& group) const {
  return optionGroups_.value(group);
}

void CPaintManagerUI::RemoveOptionGroup(const QString& group, CControlUI* control) {
  auto it = optionGroups_.find(group);
  if (it == optionGroups_.end())
    return;
  it->removeAll(control);
  if (it->isEmpty())
    optionGroups_.erase(it);
}

bool CPaintManagerUI::SetDPI(int dpi) {
  const int old = dpi_.GetDPI();
  if (!dpi_.SetScale(dpi))
    return false;
  if (old == dpi)
    return true;
  if (window_ != nullptr) {
    // Limits first, so the old ones cannot hold the new size back.
    window_->setMinimumSize(minInfo_.isEmpty() ? QSize(0, 0) : dpi_.Scale(minInfo_));
    window_->setMaximumSize(maxInfo_.isEmpty() ? QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX)
                                               : dpi_.Scale(maxInfo_));
    window_->resize(window_->width() * dpi / old, window_->height() * dpi / old);
    if (root_ != nullptr && root_->parentWidget() == window_)
      root_->setGeometry(QRect(QPoint(0, 0), window_->size()));
  }
  if (root_ != nullptr)
    root_->OnDpiChanged();
  return true;
}

void CPaintManagerUI::AddDefaultAttributeList(const QString& controlClass,
                                              const QString& attributes) {
  defaultAttributes_.insert(controlClass.toLower(), attributes);
}

QString CPaintManagerUI::GetDefaultAttributeList(const QString& controlClass) const {
  return defaultAttributes_.value(controlClass.toLower());
}

void CPaintManagerUI::RegisterControl(CControlUI* control) {
  controls_.insert(control);
  if (!control->GetName().isEmpty())
    names_[control->GetName()].append(control);
}

void CPaintManagerUI::UnregisterControl(CControlUI* control) {
  controls_.remove(control);
  const QString name = control->GetName();
  if (!name.isEmpty()) {
    auto it = names_.find(name);
    if (it != names_.end()) {
      it->removeAll(control);
      if (it->isEmpty())
        names_.erase(it);
    }
  }
  for (auto it = optionGroups_.begin(); it != optionGroups_.end();) {
    it->removeAll(control);
    it = it->isEmpty() ? optionGroups_.erase(it) : std::next(it);
  }
  KillTimer(control);
  if (root_ == control)
    root_ = nullptr;
}

void CPaintManagerUI::OnControlRenamed(CControlUI* control, const QString& oldName) {
  if (!oldName.isEmpty()) {
    auto it = names_.find(oldName);
    if (it != names_.end()) {
      it->removeAll(control);
      if (it->isEmpty())
        names_.erase(it);
    }
  }
  if (!control->GetName().isEmpty())
    names_[control->GetName()].append(control);
}

}  // namespace toolkit
