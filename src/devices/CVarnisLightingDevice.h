#pragma once

#include <memory>

#include "devicecore/PadCore.h"
#include "devices/CVarnisUSBDevice.h"

// The page of a device whose settings on the device are one lighting block
// (the mouse pad, and the headset's lighting side): its light points, the
// profile list and the lighting panel. The device itself is its core; the
// page shows what the core reports.
class CVarnisLightingDevice : public CVarnisUSBDevice {
  Q_OBJECT
 public:
  ~CVarnisLightingDevice() override;
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
  std::vector<std::string> ModeNames() const override { return Pad().ModeList().names; }
  void LoadProfileFiles() override;
  QString ProfilePath() const override;
  void SaveProfile() override;
  CBasicProfiledata* ProfileData() override { return &Pad().Profile(); }
  void SetLightInfo(uint32_t a, uint32_t b, uint32_t c, uint32_t d, uint8_t e) override;
  void OnLightModeChanged() override;

 protected:
  // `lightKind`: the lighting panel's layout and the effect table
  // (lighting::kKindMousePad or kKindHeadset).
  CVarnisLightingDevice(QWidget* parent, std::unique_ptr<PadCore> core, int lightKind);
  // The device's block was read again: the page shows it and the main window
  // selects the profile of the device's active slot.
  void ShowResync(int slot);

 private:
  const int lightKind_;
};
