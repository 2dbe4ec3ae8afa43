#pragma once

#include "devicecore/DeviceCore.h"
#include "lighting/LedCanvas.h"

// The light points of a device as a canvas for the effects: each point is
// the device's packed colour and level, read and written whole.
class DeviceLedCanvas : public lighting::LedCanvas {
 public:
  explicit DeviceLedCanvas(DeviceCore& device) : device_(device) {}

  int Count() const override { return device_.LedCount(); }
  void Set(int point, lighting::Rgb colour, uint8_t level) override {
    device_.SetLedColour(point, lighting::PackLed(colour, level));
  }
  lighting::Rgb Get(int point) const override {
    return lighting::UnpackColour(device_.GetLedColour(point));
  }
  uint8_t GetLevel(int point) const override {
    return lighting::UnpackLevel(device_.GetLedColour(point));
  }

 private:
  DeviceCore& device_;
};
