#pragma once

#include <cstdint>
#include <vector>

#include "devicecore/MouseCore.h"
#include "devices/CVarnisUSBDevice.h"

class CDeviceKeyButtonUI;
class CShootControlUI;
namespace toolkit {
class CControlUI;
}

// The mouse's page, by cable or through its 2.4 GHz receiver: its buttons,
// lights and logo, the lighting, key and macro panels, and the settings tabs
// (DPI stages and report rate, pointer settings). The mouse itself is its
// core; the page reads its controls, calls the core and shows what the core
// reports.
class CVarnisMouseDevice : public CVarnisUSBDevice {
  Q_OBJECT
 public:
  static constexpr int kStages = MouseCore::kStages;

  explicit CVarnisMouseDevice(QWidget* parent = nullptr);
  ~CVarnisMouseDevice() override;
  QString GetClass() const override { return QStringLiteral("VarnisMouseDevice"); }
  MouseCore& Mouse() const { return static_cast<MouseCore&>(Core()); }

  // Overrides of the device operations.
  void AttachToWindow() override;
  void ApplyProfile() override;
  void InitialRead() override;
  void ResyncFromDevice() override;
  void LoadProfileState() override;
  void RefreshView() override;
  void DropInvalidMacroKeys() override;
  void ResetToDefaults() override;
  std::vector<int> GetUsedMacros() override;
  CBasicProfiledata* ProfileData() override { return &Mouse().Profile(); }
  std::vector<KeyListEntry> CurrentKeyList() const override { return Mouse().KeyList(); }
  void ReplaceKeyList(const std::vector<KeyListEntry>& list) override;
  void ReloadMacroNames() override;
  int DownloadMacros(const std::vector<int>& used, Done done = {}) override;
  // The recoil panel (null when the skin has none).
  CShootControlUI* RecoilPanel() const { return recoilPanel_; }
  // Sends the four recoil patterns to the mouse (in the background; a
  // wireless mouse that is off gets nothing). `done` gets 1 when sent.
  void DownloadRecoil(std::function<void(int)> done = {});
  int WriteKeyTables(int arg, std::vector<KeyListEntry> list, Done done = {}) override;
  int DownloadKeys(int arg, Done done = {}) override;
  int WriteParameterBlock(int slot, int byte0, int byte59, int width, int height,
                          Done done = {}) override;
  void LoadLightLists() override;
  int ModeCount() const override { return Mouse().ModeList().Count(); }
  std::vector<std::string> ModeNames() const override { return Mouse().ModeList().names; }
  void ShowPage(int page) override;
  void LoadProfileFiles() override;
  QString ProfilePath() const override;
  void SaveProfile() override;
  void SetLightInfo(uint32_t a, uint32_t b, uint32_t c, uint32_t d, uint8_t e) override;
  void SelectKey(int button) override;
  void SetKeyAssignment(const KeyListEntry& entry) override;
  void RefreshKeyLabels() override;
  void MarkSavedKeyButtons() override;
  void OutputLightFrame() override;
  void OnLightModeChanged() override;

  // The settings tabs: page n of "mouse_device_seting_layout" (0 when it has
  // no page n), its option selected.
  void SelectSettingsTab(int n);

  // DPI stages and report rate, as the controls show them.
  void SetStageRanges();
  void SetStageDpi(int n, int steps);
  int GetStageSteps(int n) const;
  int GetStageEditSteps(int n) const;
  void SetStageEnabled(int n, bool on);
  bool GetStageEnabled(int n) const;
  void SelectStage(int n);
  void SetStageColour(int n, uint32_t argb);
  uint32_t GetStageColour(int n) const;
  void SetReportRate(int index);
  // The enable switches: the active stage and the only stage still on
  // cannot be switched off.
  void UpdateStageLocks();

  // What the settings controls do (each ends with the profile saved and the
  // block written; `done`, when given, hears whether the mouse took it).
  void OnStageEnableChanged(int n, Done done = {});
  void OnStageSelected(int n, Done done = {});
  void OnStageSliderReleased(int n);
  void OnStageSliderMoving(int n);
  void OnStageEditLeft(int n, Done done = {});
  void OnStageColourChosen(int n, uint32_t argb);
  void OnReportRateChosen(int n, Done done = {});

  // Pointer settings: stored in the profile only.
  enum class SystemControl { PointerSpeed, DoubleClick, Precision, ScrollPage, ScrollLines };
  void OnSystemControlChanged(SystemControl control);
  // Shows the stored pointer settings without raising the controls'
  // notifications.
  void ShowSystemSettings();

 protected:
  void OnDeviceEvent(uint16_t code, bool receiver) override;

 private:
  void BindRecoilPanel();
  CShootControlUI* recoilPanel_ = nullptr;
  template <typename T>
  T* Find(const QString& name) const;
  void BuildLayout();
  void RepaintKeyButtons();
  void MarkKey(int button, bool unchanged, bool selected);
  void ShowKeyInfoRow(int button, const QString& title, const QString& text, bool shown);
  // Stages and settings into the profile, the profile saved, the block
  // written.
  void StoreAndWrite(Done done = {});

  std::vector<CDeviceKeyButtonUI*> ledButtons_;
  CDeviceKeyButtonUI* logoButton_ = nullptr;
  int logoLed_ = -1;
  toolkit::CControlUI* tipControl_ = nullptr;
  toolkit::CControlUI* lightPanelContainer_ = nullptr;
};
