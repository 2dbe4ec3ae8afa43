#include "devices/DeviceControls.h"

#include "devices/CDeviceOptionUI.h"
#include "devices/CMpDevicePowerUI.h"
#include "devices/CVarnisKeyboardDevice.h"
#include "devices/CVarnisMouseDevice.h"
#include "devices/CVarnisMousePadDevice.h"
#include "devices/CVarnisRO6533Device.h"
#include "toolkit/CControlFactory.h"

void RegisterDeviceControls() {
  toolkit::CControlFactory* factory = toolkit::CControlFactory::GetInstance();
  factory->RegistControl("CDeviceOptionUI", [] { return new CDeviceOptionUI; });
  factory->RegistControl("CMpDevicePowerUI", [] { return new CMpDevicePowerUI; });
  factory->RegistControl("CVarnisUSBDevice", [] { return new CVarnisUSBDevice; });
  factory->RegistControl("CVarnisMousePadDevice", [] { return new CVarnisMousePadDevice; });
  factory->RegistControl("CVarnisRO6533Device", [] { return new CVarnisRO6533Device; });
}

toolkit::CControlUI* CreateDeviceControl(const QString& tag) {
  auto is = [&tag](const char* name) { return tag.compare(QLatin1String(name), Qt::CaseInsensitive) == 0; };
  if (is("VarnisMousePadDevice"))
    return new CVarnisMousePadDevice;
  if (is("VarnisRO6533Device"))
    return new CVarnisRO6533Device;
  if (is("VarnisMouseDevice"))
    return new CVarnisMouseDevice;
  if (is("VarnisKeyboardDevice"))
    return new CVarnisKeyboardDevice;
  return nullptr;
}
