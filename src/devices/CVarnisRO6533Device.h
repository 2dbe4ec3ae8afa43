#pragma once

#include "devices/CVarnisUSBDevice.h"

// The USB headset: its page, lighting and audio processing.
class CVarnisRO6533Device : public CVarnisUSBDevice {
  Q_OBJECT
 public:
  explicit CVarnisRO6533Device(QWidget* parent = nullptr);
  ~CVarnisRO6533Device() override;
  QString GetClass() const override { return QStringLiteral("VarnisRO6533Device"); }
};
