#include "app/OwnControls.h"

#include "devices/DeviceControls.h"
#include "ui/UiControls.h"

void RegisterOwnControls() {
  RegisterUiControls();
  RegisterDeviceControls();
}

toolkit::CControlUI* CreateOwnControl(const QString& tag) {
  if (toolkit::CControlUI* control = CreateUiControl(tag))
    return control;
  return CreateDeviceControl(tag);
}
