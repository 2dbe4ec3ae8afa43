#include "devices/CVarnisKeyboardDevice.h"

CVarnisKeyboardDevice::CVarnisKeyboardDevice(QWidget* parent) : CVarnisUSBDevice(parent) {
  kindType_ = DeviceTypes::Keyboard;
  SetLightThreadStyle("KB灯光线程设定退出", 1000);
  SetEventThreadStyle("MS 设备同步线程设定退出", 500);
}

CVarnisKeyboardDevice::~CVarnisKeyboardDevice() { StopThreads(); }
