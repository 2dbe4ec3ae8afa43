#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "app/CAudioRecorImpl.h"
#include "platform/WindowMessageQueue.h"
#include "support/EventLoopHelpers.h"

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
      if (record.dwData == 1)
        lastBin = static_cast<const int32_t*>(record.lpData)[1];
    });
    return 0;
  }
  CAudioRecorImpl& recorder_;
  int wakes = 0;
  std::vector<int> records;
  int32_t lastBin = -1;
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
