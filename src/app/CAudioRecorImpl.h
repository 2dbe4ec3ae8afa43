#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

#include "lighting/SoundAnalyser.h"
#include "platform/LoopbackCapture.h"
#include "platform/WindowMessageTypes.h"
#include "platform/WindowMessages.h"
#include "platform/WorkerThread.h"

// The program's two live signals for host-driven lighting: the spectrum of
// what the computer plays and the colour of the screen, delivered to a
// target window as WM_COPYDATA records (1: the spectrum, 500 int32; 2: the
// screen statistics, 6 int32). Reached through Command(9963, type, value).
//
// Results never go out as a blocking send from a capture thread: each kind
// waits in a slot of its own where a newer result replaces an older one, and
// one posted message wakes the target, whose UI thread takes what is there
// (TakeResults). A target that falls behind sees the latest results, never a
// queue.
class CAudioRecorImpl {
 public:
  static constexpr int kCommandKey = 9963;
  enum CommandType {
    kSetTarget = 0,
    kStartCapture = 1,
    kStopCapture = 2,
    kStartScreen = 3,
    kStopScreen = 4,
  };
  // Posted to the target when results wait (wParam, lParam 0).
  static constexpr uint32_t kResultsMessage = 0x0D10;
  static constexpr int kSpectrumBins = 500;
  static constexpr int kScreenValues = 6;
  // At most this many screen passes a second: the keyboard's frame rate.
  static constexpr int kScreenIntervalMs = 50;

  // The program's one instance.
  static CAudioRecorImpl& Get();

  CAudioRecorImpl();
  ~CAudioRecorImpl();
  CAudioRecorImpl(const CAudioRecorImpl&) = delete;
  CAudioRecorImpl& operator=(const CAudioRecorImpl&) = delete;

  // Acts only for kCommandKey. Owner's (UI) thread.
  void Command(int key, int type, intptr_t value);
  bool IsScreenRunning() const { return screen_.IsRunning(); }
  bool IsCaptureRunning() const { return capture_ && capture_->IsRunning(); }
  // The screen cannot be read here (no X display, a Wayland session).
  bool IsScreenUnavailable() const { return screenUnavailable_; }

  // UI thread, on kResultsMessage: hands each waiting record to `deliver`.
  void TakeResults(const std::function<void(const platform::CopyDataRecord&)>& deliver);

  // The display the sampler reads (tests); empty: the session's.
  void SetScreenDisplay(std::string name) { displayName_ = std::move(name); }

  // Capture side (any thread): a spectrum for the target.
  void OfferSpectrum(const std::array<int32_t, kSpectrumBins>& spectrum);

 private:
  void OfferScreen(const std::array<int32_t, kScreenValues>& values);
  void Wake();
  void StartScreen();
  void StopScreen();
  void StartCapture();
  void StopCapture();
  // Capture thread: the captured values into spectra.
  void OnCaptured(std::span<const int16_t> samples, const platform::CaptureFormat& format);

  std::atomic<platform::WindowHandle> target_{0};
  std::string displayName_;
  platform::WorkerThread screen_{"screen sampler"};
  std::atomic<bool> screenUnavailable_{false};
  // The capture and its spectrum: the spectrum is the capture thread's.
  std::unique_ptr<platform::LoopbackCapture> capture_;
  lighting::SoundAnalyser spectrum_{[this](const lighting::SoundAnalyser::Spectrum& bins) {
    std::array<int32_t, kSpectrumBins> copy;
    std::copy(bins.begin(), bins.end(), copy.begin());
    OfferSpectrum(copy);
  }};
  platform::CaptureFormat format_{};

  std::mutex slotMutex_;
  std::optional<std::array<int32_t, kSpectrumBins>> spectrumSlot_;
  std::optional<std::array<int32_t, kScreenValues>> screenValues_;
  // A wake-up is on its way: no second one is posted.
  std::atomic<bool> woken_{false};
};
