#include "devices/CVarnisRO6533Device.h"

#include "lighting/LightPanelLayout.h"

CVarnisRO6533Device::CVarnisRO6533Device(QWidget* parent)
    : CVarnisLightingDevice(parent, std::make_unique<HeadsetCore>(), lighting::kKindHeadset) {
  kindType_ = DeviceTypes::Headset;
}

CVarnisRO6533Device::~CVarnisRO6533Device() { StopThreads(); }
