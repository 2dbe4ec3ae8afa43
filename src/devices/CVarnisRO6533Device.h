#pragma once

#include "devicecore/HeadsetCore.h"
#include "devices/CVarnisLightingDevice.h"

// The USB headset's page: its lights, the profile list, the lighting panel
// and the places of its audio panels ("Voice6533ControlItem",
// "MagicControlItem"). The headset itself is its core: it streams the live
// light frame and keeps the profile's audio state.
//
// The headset has no event interface of its own (its command collection is
// its only one, and every answer on it would reach an event reader too), so
// it is resynchronised when its profile is switched, never by an event.
class CVarnisRO6533Device : public CVarnisLightingDevice {
  Q_OBJECT
 public:
  explicit CVarnisRO6533Device(QWidget* parent = nullptr);
  ~CVarnisRO6533Device() override;
  QString GetClass() const override { return QStringLiteral("VarnisRO6533Device"); }
  HeadsetCore& Headset() const { return static_cast<HeadsetCore&>(Core()); }

 protected:
  // The headset reads its power status whenever its channel is open.
  bool PollsPowerWhileInTray() const override { return true; }
};
