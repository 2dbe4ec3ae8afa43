#pragma once

#include <QString>
#include <functional>

#include "devicecore/HeadsetCore.h"
#include "devices/CVarnisLightingDevice.h"

class CVoice6533ControlUI;
class CMagicControlUI;

// Sent to the owner window when the audio library reports a fault at start:
// wParam kAudioInitFailed or kAudioFeaturesShort.
inline constexpr uint32_t AudioNoticeMessage = 0x0D04;

// The USB headset's page: its lights, the profile list, the lighting panel,
// the audio panel ("Voice6533ControlItem") and the voice changer
// ("MagicControlItem"). The headset itself is its core: it streams the
// live light frame, keeps the profile's audio state and talks to the audio
// library.
//
// The headset has no event interface of its own (its command collection is
// its only one, and every answer on it would reach an event reader too), so
// it is resynchronised when its profile is switched, never by an event.
class CVarnisRO6533Device : public CVarnisLightingDevice {
  Q_OBJECT
 public:
  static constexpr int kAudioInitFailed = 1;
  static constexpr int kAudioFeaturesShort = 2;

  explicit CVarnisRO6533Device(QWidget* parent = nullptr);
  ~CVarnisRO6533Device() override;
  QString GetClass() const override { return QStringLiteral("VarnisRO6533Device"); }
  HeadsetCore& Headset() const { return static_cast<HeadsetCore&>(Core()); }

  void AttachToWindow() override;
  void InitialRead() override;
  void RefreshView() override;

  CVoice6533ControlUI* AudioPanel() const { return audioPanel_; }
  CMagicControlUI* VoicePanel() const { return voicePanel_; }
  // Where the audio library is loaded from: the program's SDK folder, unless
  // another place is set for every headset page made afterwards (tests).
  static void SetAudioLibraryPath(const QString& path);
  static QString AudioLibraryPath();

  // --- The audio panels' changes (routed by the main window) ------------------
  void OnEqOption(int type);
  void OnCustomEqSelected();
  void OnBandMoved(int band);
  // False when a curve of that name exists (the caller tells the user).
  bool OnSaveCustomEq();
  void OnDeleteCustomEq();
  void OnInputSwitch(HeadsetCore::Input input);
  void OnInputVolume(HeadsetCore::Input input);
  void OnVoiceChangerSwitch();
  void OnVoice(int voice);

 protected:
  // The headset reads its power status whenever its channel is open.
  bool PollsPowerWhileInTray() const override { return true; }

 private:
  void ShowAudio();
  void ShowBands(const std::vector<int>& bands);
  std::vector<int> PanelBands() const;

  CVoice6533ControlUI* audioPanel_ = nullptr;
  CMagicControlUI* voicePanel_ = nullptr;
};
