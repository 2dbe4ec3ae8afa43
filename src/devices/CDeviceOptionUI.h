#pragma once

#include <QPointer>
#include <QString>
#include <vector>

#include "toolkit/CHorizontalLayoutUI.h"
#include "toolkit/COptionUI.h"
#include "ui/LightPreviewLayer.h"

class CVarnisUSBDevice;

// A device's selector in the main window's device bar: its tile
// ("device_select", an option bound to the device's page), its lighting
// sync toggle ("synchro_device_select") and its name ("device_select_name").
// It also runs the device's heartbeat with its timers: connect (1001),
// preview (1000), resync (1002), power (1005) and receiver link (1007).
class CDeviceOptionUI : public toolkit::CHorizontalLayoutUI {
  Q_OBJECT
 public:
  static constexpr toolkit::UINT kTimerPreview = 1000;
  static constexpr toolkit::UINT kTimerConnect = 1001;
  static constexpr toolkit::UINT kTimerResync = 1002;
  static constexpr toolkit::UINT kTimerPower = 1005;
  static constexpr toolkit::UINT kTimerLink = 1007;
  // Preview refresh while nobody can see it.
  static constexpr toolkit::UINT kHiddenPreviewMs = 500;

  explicit CDeviceOptionUI(QWidget* parent = nullptr);
  QString GetClass() const override { return QStringLiteral("DeviceOption"); }

  void SetDevice(CVarnisUSBDevice* device) { device_ = device; }
  CVarnisUSBDevice* GetDevice() const { return device_; }

  // Device type and role of the kind: choose the images.
  void SetKindValues(int deviceType, int role);
  int GetDeviceType() const { return deviceType_; }
  int GetRole() const { return role_; }
  // The file stem of the kind's images ("kb", "ms", ...).
  static QString ImageStem(int deviceType, int role);

  // The page this selector shows: its index in the named tab layout.
  void BindTab(const QString& tabLayoutName, int index);
  const QString& BoundTabName() const { return tabName_; }
  int BoundTabIndex() const { return tabIndex_; }
  void SetBoundTabIndex(int index) { tabIndex_ = index; }
  // The device's power panel: its tab layout and index there (-1: none).
  void SetPowerTab(const QString& tabLayoutName, int index);
  const QString& PowerTabName() const { return powerTabName_; }
  int PowerTabIndex() const { return powerTabIndex_; }
  void SetPowerTabIndex(int index) { powerTabIndex_ = index; }

  void SetGroup(const QString& group);
  // The kind name (the bar shows the language's name for the kind).
  void SetNameText(const QString& text);

  // The device is attached and usable; the main window shows the selector.
  void SetShown(bool shown);
  bool IsShown() const { return shown_; }
  bool IsSelected() const;
  void Select();
  bool IsSynchroChecked() const;
  void SetSynchroChecked(bool checked);
  void SetSynchroVisible(bool visible);

  toolkit::COptionUI* SelectOption() const;
  toolkit::COptionUI* SynchroOption() const;
  toolkit::CControlUI* NameControl() const;

  // Starts (or restarts) one of the heartbeat timers.
  void StartTimer(toolkit::UINT id, toolkit::UINT elapseMs);
  void DoTimer(toolkit::UINT id) override;

  // Times the connect timer has run since the device last answered.
  int RetryCount() const { return retryCount_; }

 private:
  toolkit::CControlUI* Sub(const char* name) const;
  void OnConnectTimer();
  // The rest of the connect timer, once the receiver's link is known.
  void Connect(bool reachable);
  void OnPreviewTimer();
  void OnPowerTimer();
  void OnLinkTimer();
  void LinkChecked(bool reachable);
  void RequestPage(bool show);
  void RefreshPreview();

  CVarnisUSBDevice* device_ = nullptr;
  int deviceType_ = 0;
  int role_ = 0;
  QString tabName_;
  int tabIndex_ = -1;
  QString powerTabName_;
  int powerTabIndex_ = -1;
  bool shown_ = false;
  int retryCount_ = 0;
  QPointer<LightPreviewLayer> layer_;
  mutable QPointer<toolkit::COptionUI> selectOption_;
  std::vector<CDeviceKeyButtonUI*> layerLights_;
};
