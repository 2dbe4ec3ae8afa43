#include "devicecore/DeviceThread.h"

#include "platform/DebugChannel.h"
#include "platform/TickClock.h"

#include <algorithm>

DeviceThread::DeviceThread(std::string exitLine, int stopLimitMs)
    : exitLine_(std::move(exitLine)), stopLimitMs_(stopLimitMs), thread_(exitLine_) {}

DeviceThread::~DeviceThread() { Stop(); }

void DeviceThread::Start(Pass pass, bool tickSteps) {
  Stop();
  started_ = thread_.Start(
      [pass = std::move(pass), line = exitLine_, tickSteps](const platform::Event& stop) {
        while (!(tickSteps ? platform::WaitTickStep(stop) : stop.Wait(1)))
          pass(stop);
        platform::DebugOutput(line);
      });
}

void DeviceThread::StartStepped(SteppedPass pass) {
  Stop();
  started_ = thread_.Start([pass = std::move(pass), line = exitLine_](const platform::Event& stop) {
    int steps = 1;
    while (!platform::WaitTickSteps(stop, steps))
      steps = std::max(1, pass(stop));
    platform::DebugOutput(line);
  });
}

void DeviceThread::Configure(std::string exitLine, int stopLimitMs) {
  exitLine_ = std::move(exitLine);
  stopLimitMs_ = stopLimitMs;
}

void DeviceThread::SignalStop() { thread_.SignalStop(); }

DeviceThread::StopResult DeviceThread::Stop() {
  if (!started_)
    return StopResult::NotRunning;
  started_ = false;
  thread_.SignalStop();
  if (thread_.WaitForEnd(stopLimitMs_, /*detachOnTimeout=*/false) ==
      platform::WorkerThread::EndResult::Ended) {
    platform::DebugOutput(kEndedLine);
    return StopResult::Ended;
  }
  platform::DebugOutput(kTimedOutLine);
  thread_.WaitForEnd(platform::kInfinite, false);
  return StopResult::TimedOut;
}
