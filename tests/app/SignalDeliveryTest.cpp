#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <list>
#include <thread>
#include <vector>

#include "app/CAudioRecorImpl.h"
#include "platform/WindowMessageQueue.h"
#include "support/EventLoopHelpers.h"
#include "support/PrivateSoundServer.h"

using testing_support::RunFor;
using testing_support::RunUntil;

namespace {

// A window that takes the recorder's results whenever it is woken.
class Target : public platform::MessageReceiver {
 public:
  explicit Target(CAudioRecorImpl& recorder) : recorder_(recorder) {}
  platform::LResult ReceiveMessage(uint32_t message, platform::WParam, platform::LParam) override {
    if (message != CAudioRecorImpl::kResultsMessage)
      return 0;
    ++wakes;
    recorder_.TakeResults([this](const platform::CopyDataRecord& record) {
      records.push_back(static_cast<int>(record.dwData));
      if (record.dwData == 1) {
        const auto* bins = static_cast<const int32_t*>(record.lpData);
        lastBin = bins[1];
        peak = static_cast<int>(std::max_element(bins, bins + CAudioRecorImpl::kSpectrumBins) - bins);
        loudest = bins[peak];
      }
    });
    return 0;
  }
  CAudioRecorImpl& recorder_;
  int wakes = 0;
  std::vector<int> records;
  int32_t lastBin = -1;
  int peak = -1;
  int32_t loudest = 0;
};

}  // namespace

// Spectra offered faster than the window takes them wake it once and leave
// only the latest; nothing is sent without a target, nothing piles up.
TEST(SignalDelivery, TheLatestSpectrumWinsAndOneWakeIsOnItsWay) {
  CAudioRecorImpl recorder;
  Target target(recorder);
  platform::WindowMessageQueue queue(target);
  std::array<int32_t, CAudioRecorImpl::kSpectrumBins> spectrum{};
  spectrum[1] = 7;
  recorder.OfferSpectrum(spectrum);
  RunFor(20);
  EXPECT_EQ(target.wakes, 0) << "no target yet";

  recorder.Command(CAudioRecorImpl::kCommandKey, CAudioRecorImpl::kSetTarget,
                   static_cast<intptr_t>(queue.Handle()));
  recorder.Command(1234, CAudioRecorImpl::kSetTarget, 0);  // another key: ignored
  std::thread capture([&] {
    for (int i = 1; i <= 1000; ++i) {
      spectrum[1] = i;
      recorder.OfferSpectrum(spectrum);
    }
  });
  capture.join();
  ASSERT_TRUE(RunUntil([&] { return target.lastBin == 1000; }));
  EXPECT_LE(target.wakes, 2) << "one wake for many spectra";
  EXPECT_EQ(target.records, std::vector<int>(target.records.size(), 1));
  const int wakes = target.wakes;
  RunFor(20);
  EXPECT_EQ(target.wakes, wakes);
  recorder.Command(CAudioRecorImpl::kCommandKey, CAudioRecorImpl::kSetTarget, 0);
}

// What the computer plays reaches the window as spectra while the capture
// runs, peaking where a 1 kHz tone belongs at the output's rate and
// channels; a stopped capture sends nothing more.
class SignalCapture : public testing_support::PrivateAudioEnvironment {};

TEST_F(SignalCapture, TheCaptureDeliversTheSpectrumOfWhatIsPlayed) {
  using namespace testing_support;
  const TempDir& dir = dir_;
  PulseServer server(dir.Path());
  env_.emplace_back("PULSE_SERVER", "unix:" + server.Socket());
  if (!HaveProgram("paplay"))
    GTEST_SKIP() << "paplay (pulseaudio-utils) is not installed";
  if (const std::string why = server.Start(); !why.empty())
    GTEST_SKIP() << "no private sound server: " << why;
  const std::string tone = dir.Path() + "/tone.wav";
  WriteTone(tone, 5);

  CAudioRecorImpl recorder;
  Target target(recorder);
  platform::WindowMessageQueue queue(target);
  recorder.Command(CAudioRecorImpl::kCommandKey, CAudioRecorImpl::kSetTarget,
                   static_cast<intptr_t>(queue.Handle()));
  recorder.Command(CAudioRecorImpl::kCommandKey, CAudioRecorImpl::kStartCapture, 0);
  EXPECT_TRUE(recorder.IsCaptureRunning());
  Player player(tone);
  ASSERT_TRUE(player.Started());
  const auto [low, high] = ToneBins({44100, 2});
  EXPECT_TRUE(RunUntil([&] { return target.loudest > 1000 && target.peak >= low && target.peak <= high; },
                       10000))
      << "peak " << target.peak << " of " << target.loudest;

  recorder.Command(CAudioRecorImpl::kCommandKey, CAudioRecorImpl::kStopCapture, 0);
  EXPECT_FALSE(recorder.IsCaptureRunning());
  RunFor(50);
  const size_t records = target.records.size();
  RunFor(200);
  EXPECT_EQ(target.records.size(), records);
  recorder.Command(CAudioRecorImpl::kCommandKey, CAudioRecorImpl::kSetTarget, 0);
}
