#pragma once

#include "devices/CVarnisUSBDevice.h"

// The mouse, by cable or through its 2.4 GHz receiver: its page, buttons, DPI
// stages and lighting.
class CVarnisMouseDevice : public CVarnisUSBDevice {
  Q_OBJECT
 public:
  explicit CVarnisMouseDevice(QWidget* parent = nullptr);
  ~CVarnisMouseDevice() override;
  QString GetClass() const override { return QStringLiteral("VarnisMouseDevice"); }
};
