#include "devices/CVarnisMousePadDevice.h"

CVarnisMousePadDevice::CVarnisMousePadDevice(QWidget* parent) : CVarnisUSBDevice(parent) {
  kindType_ = DeviceTypes::MousePad;
  SetLightThreadStyle("MS灯光线程设定退出", 1000);
  SetEventThreadStyle("MS设备同步线程设定退出", 1000);
}

CVarnisMousePadDevice::~CVarnisMousePadDevice() { StopThreads(); }
