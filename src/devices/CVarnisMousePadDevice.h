#pragma once

#include "devices/CVarnisLightingDevice.h"

// The lit mouse pad's page: its lights, the profile list and the lighting
// panel. The pad asks for a resync with its event 0x401.
class CVarnisMousePadDevice : public CVarnisLightingDevice {
  Q_OBJECT
 public:
  explicit CVarnisMousePadDevice(QWidget* parent = nullptr);
  ~CVarnisMousePadDevice() override;
  QString GetClass() const override { return QStringLiteral("VarnisMousePadDevice"); }

 protected:
  void OnDeviceEvent(uint16_t code, bool receiver) override;
};
