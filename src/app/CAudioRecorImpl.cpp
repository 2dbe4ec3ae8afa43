#include "app/CAudioRecorImpl.h"

#include "platform/DebugChannel.h"
#include "platform/ScreenSampler.h"

CAudioRecorImpl& CAudioRecorImpl::Get() {
  static CAudioRecorImpl instance;
  return instance;
}

CAudioRecorImpl::CAudioRecorImpl() = default;

CAudioRecorImpl::~CAudioRecorImpl() {
  StopCapture();
  StopScreen();
}

void CAudioRecorImpl::Command(int key, int type, intptr_t value) {
  if (key != kCommandKey)
    return;
  switch (type) {
    case kSetTarget: target_ = static_cast<platform::WindowHandle>(value); break;
    case kStartCapture: StartCapture(); break;
    case kStopCapture: StopCapture(); break;
    case kStartScreen: StartScreen(); break;
    case kStopScreen: StopScreen(); break;
    default: break;
  }
}

void CAudioRecorImpl::StartScreen() {
  if (screen_.IsRunning())
    return;
  // A pass that ended by itself (no screen to read) is joined first.
  screen_.Stop(kScreenIntervalMs);
  screen_.Start([this, display = displayName_](const platform::Event& stop) {
    // The sampler lives on its thread: its connection is this thread's.
    platform::ScreenSampler sampler(display);
    screenUnavailable_ = !sampler.IsAvailable();
    if (!sampler.IsAvailable()) {
      platform::DebugPrint("screen colour: %s",
                           platform::ScreenSampler::Describe(sampler.GetAvailability()));
      // The target hears of it with the next results it takes.
      Wake();
      return;
    }
    do {
      if (const auto colour = sampler.Sample())
        OfferScreen(colour->Record());
    } while (!stop.Wait(kScreenIntervalMs));
  });
}

void CAudioRecorImpl::StopScreen() { screen_.Stop(1000); }

void CAudioRecorImpl::StartCapture() {
  if (!capture_)
    capture_ = std::make_unique<platform::LoopbackCapture>(
        [this](std::span<const int16_t> samples, const platform::CaptureFormat& format) {
          OnCaptured(samples, format);
        });
  if (!capture_->IsRunning()) {
    format_ = {};
    capture_->Start();
  }
}

void CAudioRecorImpl::StopCapture() {
  if (capture_)
    capture_->Stop();
}

void CAudioRecorImpl::OnCaptured(std::span<const int16_t> samples,
                                 const platform::CaptureFormat& format) {
  // A new recording (another output or format) starts a new window.
  if (!(format == format_)) {
    format_ = format;
    spectrum_.Reset();
  }
  spectrum_.Push(samples);
}

void CAudioRecorImpl::OfferSpectrum(const std::array<int32_t, kSpectrumBins>& spectrum) {
  {
    std::lock_guard lock(slotMutex_);
    spectrumSlot_ = spectrum;
  }
  Wake();
}

void CAudioRecorImpl::OfferScreen(const std::array<int32_t, kScreenValues>& values) {
  {
    std::lock_guard lock(slotMutex_);
    screenValues_ = values;
  }
  Wake();
}

void CAudioRecorImpl::Wake() {
  const platform::WindowHandle target = target_;
  if (target == 0)
    return;
  if (!woken_.exchange(true))
    platform::PostWindowMessage(target, kResultsMessage, 0, 0);
}

void CAudioRecorImpl::TakeResults(
    const std::function<void(const platform::CopyDataRecord&)>& deliver) {
  std::optional<std::array<int32_t, kSpectrumBins>> spectrum;
  std::optional<std::array<int32_t, kScreenValues>> screen;
  {
    std::lock_guard lock(slotMutex_);
    // Cleared before taking: a result offered from now on posts again.
    woken_ = false;
    spectrum.swap(spectrumSlot_);
    screen.swap(screenValues_);
  }
  if (spectrum) {
    platform::CopyDataRecord record;
    record.dwData = 1;
    record.cbData = sizeof(*spectrum);
    record.lpData = spectrum->data();
    deliver(record);
  }
  if (screen) {
    platform::CopyDataRecord record;
    record.dwData = 2;
    record.cbData = sizeof(*screen);
    record.lpData = screen->data();
    deliver(record);
  }
}
