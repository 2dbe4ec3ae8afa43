#pragma once

#include "devices/CVarnisUSBDevice.h"

// The lit mouse pad: its page and lighting.
class CVarnisMousePadDevice : public CVarnisUSBDevice {
  Q_OBJECT
 public:
  explicit CVarnisMousePadDevice(QWidget* parent = nullptr);
  ~CVarnisMousePadDevice() override;
  QString GetClass() const override { return QStringLiteral("VarnisMousePadDevice"); }
};
