#pragma once

#include <QPointer>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>

#include "app/FeatureHost.h"
#include "lighting/AudioLevels.h"
#include "platform/SocketMessage.h"
#include "profiles/AudioLightInfo.h"
#include "settings/MusicStyleFile.h"

class CLightControlUI;
class CVarnisUSBDevice;
namespace platform {
class LocalMessageServer;
}

// The music lighting, reached from the main window:
// - the spectra of what the computer plays become the keyboard's band
//   levels (once per spectrum, whatever number of keyboards is connected;
//   every third spectrum the chosen keyboard gets a level set);
// - the music colours of the light panel (style, background and
//   foreground colour, multicolour foreground), kept in the page's profile;
// - the music style groups ("AudioFile.json") and their dialog;
// - an outside audio recorder, when one has announced itself on the local
//   socket: it hears the chosen group's colour and the three recorder
//   sliders.
class AudioLightingCommands {
 public:
  // What a recorder sends on the local socket to be found:
  // {"message": "RUDAVAVE DADAV UDU417AudioRecord"}.
  static constexpr const char* kRecorderName = "RUDAVAVE DADAV UDU417AudioRecord";
  // Copy-data kind of the colour record sent to the recorder.
  static constexpr uint64_t kRecorderColourRecord = 10;

  explicit AudioLightingCommands(FeatureHost& window);
  ~AudioLightingCommands();

  void OnRoute(const RouteCall& call);

  // A spectrum record's bytes (500 values of 32 bits); any other size is
  // not a spectrum and is ignored.
  void OnSpectrum(std::span<const uint8_t> bytes);
  const lighting::AudioLevels& Bands() const { return bands_; }

  // Takes the recorders' announcements on `server` (removed again when this
  // object goes).
  void ListenForRecorder(platform::LocalMessageServer* server);
  // Where messages for the recorder go (the announcing client; tests set
  // their own). A null sender forgets the recorder.
  using RecorderSender = std::function<void(const platform::SocketMessage&)>;
  void SetRecorder(RecorderSender sender);
  bool RecorderFound() const { return static_cast<bool>(recorder_); }

  // The music style dialog, replaced in tests: shows the groups of the file
  // at the path, returns the record the user confirmed (already written).
  using StyleEditor = std::function<std::optional<MusicStyle>(const QString& filePath)>;
  void SetStyleEditor(StyleEditor editor) { editor_ = std::move(editor); }
  void SetStyleFilePath(const QString& path) { styleFile_ = path; }

 private:
  using Change = std::function<void(AudioLightInfo&)>;
  // Reads the panel's record, changes it, keeps it on the page and in its
  // profile. Nothing goes to the device: the music mode's frames are drawn
  // by the program.
  void ChangeAudioLight(CVarnisUSBDevice* device, CLightControlUI* panel, bool takeColour,
                        const Change& change);
  void OnColourEdit(CVarnisUSBDevice* device, CLightControlUI* panel, int channel);
  void SetEditedColour(CVarnisUSBDevice* device, CLightControlUI* panel, uint32_t argb,
                       bool clearMultiColourAlways);
  void OnRecorderSlider(const RouteCall& call);
  void OpenStyleDialog();
  void SendToRecorder(const platform::SocketMessage& message);
  void ShowRecorderSliders();

  FeatureHost& window_;
  // The spectra's running band state (UI thread).
  lighting::AudioLevels bands_;
  RecorderSender recorder_;
  QPointer<platform::LocalMessageServer> server_;
  StyleEditor editor_;
  QString styleFile_;
  bool dialogOpen_ = false;
};
