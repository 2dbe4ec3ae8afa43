#pragma once

#include "devicecore/PadCore.h"
#include "devices/CVarnisUSBDevice.h"

// The lit mouse pad's page: its lights, the profile list and the lighting
// panel. The pad itself is its core; the page shows what the core reports.
class CVarnisMousePadDevice : public CVarnisUSBDevice {
  Q_OBJECT
 public:
  explicit CVarnisMousePadDevice(QWidget* parent = nullptr);
  ~CVarnisMousePadDevice() override;
  QString GetClass() const override { return QStringLiteral("VarnisMousePadDevice"); }
  PadCore& Pad() const { return static_cast<PadCore&>(Core()); }

  void AttachToWindow() override;
  void ApplyProfile() override;
  void InitialRead() override;
  void ResyncFromDevice() override;
  void LoadProfileState() override;
  void RefreshView() override;
  void ResetToDefaults() override;
  int WriteParameterBlock(int slot, int byte0, int byte59, int width, int height,
                          Done done = {}) override;
  void LoadLightLists() override;
  int ModeCount() const override { return Pad().ModeList().Count(); }
  void LoadProfileFiles() override;
  QString ProfilePath() const override;
  void SaveProfile() override;
  void SetLightInfo(uint32_t a, uint32_t b, uint32_t c, uint32_t d, uint8_t e) override;
  void OnLightModeChanged() override;

 protected:
  void OnDeviceEvent(uint16_t code, bool receiver) override;
};
