#include "platform/TickClock.h"

#include <chrono>
#include <algorithm>
#include <cmath>
#include <thread>

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;

double NowMs() {
  static const Clock::time_point start = Clock::now();
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Milliseconds until the `steps`-th next step boundary, at least 1.
int MsToNextStep(int steps = 1) {
  const double now = NowMs();
  const double next = (std::floor(now / kTickStepMs) + std::max(1, steps)) * kTickStepMs;
  return std::max(1, static_cast<int>(std::ceil(next - now)));
}

}  // namespace

uint32_t TickCount() {
  const double steps = std::floor(NowMs() / kTickStepMs);
  return static_cast<uint32_t>(static_cast<uint64_t>(steps * kTickStepMs));
}

bool WaitTickStep(const Event& stop) { return stop.Wait(MsToNextStep()); }

bool WaitTickSteps(const Event& stop, int steps) { return stop.Wait(MsToNextStep(steps)); }

void SleepTickStep() { std::this_thread::sleep_for(std::chrono::milliseconds(MsToNextStep())); }

}  // namespace platform
