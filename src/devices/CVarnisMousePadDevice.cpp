#include "devices/CVarnisMousePadDevice.h"

#include "lighting/LightPanelLayout.h"

CVarnisMousePadDevice::CVarnisMousePadDevice(QWidget* parent)
    : CVarnisLightingDevice(parent, std::make_unique<PadCore>(lighting::kKindMousePad),
                            lighting::kKindMousePad) {
  kindType_ = DeviceTypes::MousePad;
}

CVarnisMousePadDevice::~CVarnisMousePadDevice() { StopThreads(); }

void CVarnisMousePadDevice::OnDeviceEvent(uint16_t code, bool /*receiver*/) {
  Pad().HandleEvent(code);
}
