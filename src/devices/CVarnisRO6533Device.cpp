#include "devices/CVarnisRO6533Device.h"

CVarnisRO6533Device::CVarnisRO6533Device(QWidget* parent) : CVarnisUSBDevice(parent) {
  kindType_ = DeviceTypes::Headset;
  SetLightThreadStyle("MS灯光线程设定退出", 1000);
  SetEventThreadStyle("MS设备同步线程设定退出", 1000);
}

CVarnisRO6533Device::~CVarnisRO6533Device() { StopThreads(); }
