#include "devices/CMpDevicePowerUI.h"

#include "toolkit/CControlUI.h"
#include "toolkit/CProgressUI.h"

using protocol::PowerStatus;
using toolkit::CControlUI;

CMpDevicePowerUI::CMpDevicePowerUI(QWidget* parent) : CVerticalLayoutUI(parent) {}

CControlUI* CMpDevicePowerUI::Sub(const char* name) const {
  const QList<CControlUI*> all = findChildren<CControlUI*>(QString::fromLatin1(name));
  return all.isEmpty() ? nullptr : all.first();
}

void CMpDevicePowerUI::SetDeviceType(int deviceType, int extra) {
  deviceType_ = deviceType;
  extra_ = extra;
}

void CMpDevicePowerUI::SetShowPower(int show) {
  showPower_ = show;
  if (CControlUI* area = Sub(kPowerLayout))
    area->SetVisible(show != 0);
}

void CMpDevicePowerUI::SetPowerStatus(const Status& status) {
  status_ = status;
  if (CControlUI* value = Sub("device_power_value"))
    value->SetText(QStringLiteral("%1%2")
                       .arg(status[PowerStatus::kChargeOffset])
                       .arg(QStringLiteral("%")));
  auto* progress = qobject_cast<toolkit::CProgressUI*>(Sub("device_Power_progress"));
  if (progress != nullptr)
    progress->SetValue(100 - status[PowerStatus::kChargeOffset]);

  bool wirelessShown = false;
  if (CControlUI* logo = Sub("device_wuxian_logo")) {
    if (deviceType_ == 1 || deviceType_ == 2)
      logo->SetVisible(status[PowerStatus::kWirelessOffset] != 0);
    wirelessShown = logo->IsOwnVisible();
  }
  if (CControlUI* state = Sub("device_power_status")) {
    switch (status[PowerStatus::kChargingStateOffset]) {
      case 0: state->SetBkImage("file='power/powered.png'"); break;
      case 1: state->SetBkImage("file='power/powering.png'"); break;
      case 2: state->SetBkImage("file='power/power.png'"); break;
      default: break;
    }
  }
  if (progress != nullptr)
    progress->SetVisible(!(status[PowerStatus::kChargingStateOffset] == 1 && wirelessShown));

  if (deviceType_ == 3) {
    if (CControlUI* phone = Sub("device_phone_type")) {
      const char* name = "Phone_type_no_device";
      switch (status[PowerStatus::kPhoneTypeOffset]) {
        case 1: name = "Phone_type_iphone"; break;
        case 2: name = "Phone_type_samsung"; break;
        case 3: name = "Phone_type_other"; break;
        default: break;
      }
      phone->SetToolTip(QString::fromLatin1(name));
      phone->SetBkImage(QStringLiteral("file='power/%1.png'").arg(QString::fromLatin1(name)));
    }
  }
}
