#pragma once

#include "devices/CVarnisUSBDevice.h"
#include "lighting/LedCanvas.h"

// The light points of a device page as a canvas for the effects: each point
// is the page's packed colour and level, read and written whole.
class DeviceLedCanvas : public lighting::LedCanvas {
 public:
  explicit DeviceLedCanvas(CVarnisUSBDevice& device) : device_(device) {}

  int Count() const override { return device_.GetLedCount(); }
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
  CVarnisUSBDevice& device_;
};
