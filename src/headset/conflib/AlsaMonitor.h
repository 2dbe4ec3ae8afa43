#pragma once

// Monitoring (sidetone): the headset card's playback control for its own
// microphone, through ALSA's mixer. The sound server does not show it, so
// the card is opened directly, for each call (a replugged headset is a new
// card).
//
// Levels are in dB when the card describes its scale, otherwise in the
// control's own steps. The scalar is the control's raw range mapped linearly
// onto 0..1, as a plain mixer shows it in percent.

#include <cstdint>
#include <string>

namespace conflib {

struct MonitorRange {
  double min = 0;
  double max = 0;
  double step = 0;
};

class AlsaMonitor {
 public:
  // Each fails when the card has no such control.
  bool Range(int card, MonitorRange& range);
  bool ReadLevel(int card, double& level);
  bool ReadScalar(int card, double& scalar);
  bool WriteScalar(int card, double scalar);
  bool ReadMute(int card, bool& muted);
  bool WriteMute(int card, bool muted);

  // The ALSA card of the USB device with these ids (from
  // /proc/asound/cardN/usbid); -1 when there is none.
  static int FindUsbCard(uint16_t vendor, uint16_t product);

 private:
  // Such controls have few steps: the scalar written last is answered again
  // while the control still holds the step it was written as, so that the
  // program's slider does not jump back to the nearest step.
  struct Remembered {
    bool valid = false;
    int card = -1;
    std::string control;
    long raw = 0;
    double scalar = 0;
  };
  Remembered remembered_;
};

}  // namespace conflib
