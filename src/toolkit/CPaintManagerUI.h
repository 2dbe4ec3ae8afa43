#pragma once

#include <QByteArray>
#include <QFont>
#include <QHash>
#include <QList>
#include <QMap>
#include <QPointer>
#include <QSet>
#include <QRect>
#include <QSize>
#include <QString>
#include <map>
#include <memory>

#include "toolkit/CDPI.h"
#include "toolkit/UIDefines.h"

class QTimer;
class QObject;

namespace toolkit {

class CControlUI;

// The toolkit state of one window: its control tree and name index, its
// notifiers, control timers, option groups, DPI and the window attributes of
// its skin. Also holds the process-wide resource paths and shared fonts.
class CPaintManagerUI {
 public:
  CPaintManagerUI();
  ~CPaintManagerUI();
  CPaintManagerUI(const CPaintManagerUI&) = delete;
  CPaintManagerUI& operator=(const CPaintManagerUI&) = delete;

  // Process-wide paths. The instance path is the program's folder (ends with
  // "/"): beside the executable, or its share/travix folder once installed.
  static void SetInstance();
  static void SetInstancePath(const QString& path);
  static QString GetInstancePath();
  static void SetResourcePath(const QString& path);
  static QString GetResourcePath();
  // 1 = plain files, the only kind this toolkit reads.
  static void SetResourceType(int type);
  static int GetResourceType();
  // Runs the event loop until the program quits; returns its exit code.
  static int MessageLoop();
  // Ends the event loop (unconditionally, unlike asking the windows to close).
  static void PostQuitMessage(int exitCode = 0);
  static void ReloadAllText();
  static void SetAllDPI(int dpi);

  // Shared fonts by id, as the skin's Font entries define them.
  static void AddFont(int id, const QString& family, int size, bool bold, bool underline,
                      bool italic);
  static bool HasFont(int id);
  static QFont GetFont(int id);
  static void SetDefaultFont(const QString& family, int size, bool bold, bool underline,
                             bool italic);
  static QFont GetDefaultFont();
  // Every shared font and the default font take the family `family`, their
  // sizes and styles kept; every live control of every window takes its new
  // font and is laid out again.
  static void SetFontFamilyEverywhere(const QString& family);
  // Private font files; the id is -1 when the font cannot be used.
  static int AddFontFile(const QString& path);
  static int AddFontMemory(const QByteArray& data);
  static void RemoveAllFonts();

  // The window this manager draws into, and the root of its controls.
  void Init(QWidget* window, platform::WindowHandle handle = 0);
  QWidget* GetPaintWindow() const { return window_; }
  platform::WindowHandle GetHandle() const { return handle_; }
  bool AttachDialog(CControlUI* root);
  CControlUI* GetRoot() const { return root_; }

  CControlUI* FindControl(const QString& name) const;
  CControlUI* FindSubControlByName(CControlUI* parent, const QString& name) const;

  bool AddNotifier(INotifyUI* notifier);
  bool RemoveNotifier(INotifyUI* notifier);
  // Delivers the notification to every notifier, at once or (async) from the
  // event loop; an async notification is dropped if its sender is gone.
  void SendNotify(TNotifyUI& msg, bool async = false);
  void SendNotify(CControlUI* control, const QString& type, WPARAM wParam = 0, LPARAM lParam = 0,
                  bool async = false);

  // Control timers raise "timer" (through the control's DoTimer) with the id.
  // Setting a running timer restarts it. Safe from any thread: calls from
  // other threads take effect on the UI thread.
  bool SetTimer(CControlUI* control, UINT id, UINT elapseMs);
  bool KillTimer(CControlUI* control, UINT id);
  void KillTimer(CControlUI* control);
  void RemoveAllTimers();
  bool HasTimer(CControlUI* control, UINT id) const;

  bool AddOptionGroup(const QString& group, CControlUI* control);
  QList<CControlUI*> GetOptionGroup(const QString& group) const;
  void RemoveOptionGroup(const QString& group, CControlUI* control);

  CDPI* GetDPIObj() { return &dpi_; }
  const CDPI* GetDPIObj() const { return &dpi_; }
  int GetDPI() const { return dpi_.GetDPI(); }
  // Rescales every size of the window; false for a value that is not accepted.
  bool SetDPI(int dpi);

  // Default attributes per control class, from the skin's Default entries.
  void AddDefaultAttributeList(const QString& controlClass, const QString& attributes);
  QString GetDefaultAttributeList(const QString& controlClass) const;

  // Window attributes of the skin (skin units).
  QSize GetInitSize() const { return initSize_; }
  void SetInitSize(QSize size) { initSize_ = size; }
  QRect GetCaptionRect() const { return caption_; }
  void SetCaptionRect(const QRect& rc) { caption_ = rc; }
  QSize GetMinInfo() const { return minInfo_; }
  void SetMinInfo(QSize size) { minInfo_ = size; }
  QSize GetMaxInfo() const { return maxInfo_; }
  void SetMaxInfo(QSize size) { maxInfo_ = size; }
  QMargins GetSizeBox() const { return sizeBox_; }
  void SetSizeBox(const QMargins& box) { sizeBox_ = box; }
  int GetRoundCorner() const { return roundCorner_; }
  void SetRoundCorner(int radius) { roundCorner_ = radius; }

  // Book-keeping called by controls.
  void RegisterControl(CControlUI* control);
  void UnregisterControl(CControlUI* control);
  void OnControlRenamed(CControlUI* control, const QString& oldName);
  bool IsLive(const CControlUI* control) const { return controls_.contains(control); }

 private:
  class TimerHost;
  void StartTimerNow(CControlUI* control, UINT id, UINT elapseMs);
  void KillTimerNow(CControlUI* control, UINT id);
  bool OnUiThread() const;

  QWidget* window_ = nullptr;
  platform::WindowHandle handle_ = 0;
  CControlUI* root_ = nullptr;
  QHash<QString, QList<CControlUI*>> names_;
  QSet<const CControlUI*> controls_;
  QList<INotifyUI*> notifiers_;
  std::map<std::pair<CControlUI*, UINT>, QTimer*> timers_;
  QHash<QString, QList<CControlUI*>> optionGroups_;
  QHash<QString, QString> defaultAttributes_;
  CDPI dpi_;
  QSize initSize_;
  QRect caption_;
  QSize minInfo_;
  QSize maxInfo_;
  QMargins sizeBox_;
  int roundCorner_ = 0;
  std::unique_ptr<TimerHost> host_;
};

}  // namespace toolkit
