#include "devices/CVarnisMouseDevice.h"

CVarnisMouseDevice::CVarnisMouseDevice(QWidget* parent) : CVarnisUSBDevice(parent) {
  kindType_ = DeviceTypes::Mouse;
  SetLightThreadStyle("MS灯光线程设定退出", 1000);
  SetEventThreadStyle("MS 设备同步线程设定退出", 500);
}

CVarnisMouseDevice::~CVarnisMouseDevice() { StopThreads(); }
