#pragma once

#include <QString>
#include <functional>

#include "app/FeatureHost.h"

class CVarnisRO6533Device;

// The headset's audio panel and voice changer, reached from the main
// window: equaliser presets and bands, custom curves, the microphone and its
// monitoring, the voice changer. Each acts on the current device when it is
// a headset. Also the faults the audio library reports at start.
class HeadsetAudioCommands {
 public:
  // Tells the user (a language id or a text); replaced in tests.
  using Teller = std::function<void(const QString& text, bool isLanguageId)>;

  explicit HeadsetAudioCommands(FeatureHost& window);
  void SetTeller(Teller teller) { teller_ = std::move(teller); }

  void OnRoute(const RouteCall& call);

  static constexpr const char* kInitFailedText = "ConfLibInit called failed!";
  static constexpr const char* kFeaturesShortText = "UpdateAPOAvailable failed!";

 private:
  CVarnisRO6533Device* CurrentHeadset() const;
  void Tell(const QString& text, bool isLanguageId);

  FeatureHost& window_;
  Teller teller_;
};
