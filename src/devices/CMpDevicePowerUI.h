#pragma once

#include <array>
#include <cstdint>

#include "protocol/PowerStatus.h"
#include "toolkit/CVerticalLayoutUI.h"

namespace toolkit {
class CControlUI;
}

// The power panel of a device with a battery: charge, charging state, the
// wireless mark and, for the mouse pad, the phone lying on it; built from the
// power panel layout, one per device page.
class CMpDevicePowerUI : public toolkit::CVerticalLayoutUI {
  Q_OBJECT
 public:
  using Status = protocol::PowerStatus::Bytes;

  explicit CMpDevicePowerUI(QWidget* parent = nullptr);
  QString GetClass() const override { return QStringLiteral("MpDevicePower"); }

  // The owning device's type (1 keyboard, 2 mouse, 3 mouse pad ...).
  void SetDeviceType(int deviceType, int extra);
  int GetDeviceType() const { return deviceType_; }
  // Shows or hides the battery area.
  void SetShowPower(int show);
  int GetShowPower() const { return showPower_; }
  // The six status bytes: charge in percent, charging state (0 on battery,
  // 1 charging, 2 full), -, wireless, -, phone type.
  void SetPowerStatus(const Status& status);
  const Status& GetPowerStatus() const { return status_; }

  static constexpr const char* kPowerLayout = "device_power_Layout";

 private:
  toolkit::CControlUI* Sub(const char* name) const;

  int deviceType_ = 0;
  int extra_ = 0;
  int showPower_ = 0;
  Status status_{};
};
