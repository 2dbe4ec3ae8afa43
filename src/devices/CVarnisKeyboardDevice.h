#pragma once

#include "devices/CVarnisUSBDevice.h"

// The keyboard: its page, key tables, Fn layer and lighting.
class CVarnisKeyboardDevice : public CVarnisUSBDevice {
  Q_OBJECT
 public:
  explicit CVarnisKeyboardDevice(QWidget* parent = nullptr);
  ~CVarnisKeyboardDevice() override;
  QString GetClass() const override { return QStringLiteral("VarnisKeyboardDevice"); }
};
