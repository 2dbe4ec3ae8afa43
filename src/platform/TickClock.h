#pragma once

#include <cstdint>

#include "platform/Event.h"

// The time base of the light effects. Effects count ticks and passes of
// their loops, and their speeds were made for a system timer that moves in
// steps of 15.625 ms: the tick count here is in milliseconds but advances in
// those steps, and one short wait of a light loop lasts one step. Real
// durations (blink periods, timers, user effect times) stay in milliseconds.
// An idle light loop so wakes 64 times a second.
namespace platform {

inline constexpr double kTickStepMs = 1000.0 / 64.0;

// Milliseconds since an arbitrary start, in steps of kTickStepMs; wraps like
// a 32-bit tick count.
uint32_t TickCount();
// Waits until the next step of the tick count or until `stop` is set;
// true when it was set.
bool WaitTickStep(const Event& stop);
// Waits until `steps` steps of the tick count have begun (in one wait), or
// until `stop` is set; true when it was set.
bool WaitTickSteps(const Event& stop, int steps);
// Sleeps until the next step of the tick count.
void SleepTickStep();

}  // namespace platform
