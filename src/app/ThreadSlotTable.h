#pragma once

#include <array>
#include <functional>
#include <memory>

#include "platform/Event.h"
#include "platform/WorkerThread.h"

class CMainWnd;

// The main window's worker slots: each has a manual-reset stop event and a
// parameter block {owner window, stop event}; some run a thread. Slot 0 is
// the device detection thread, slot 8 the same-mode animation thread.
class ThreadSlotTable {
 public:
  static constexpr int kSlotCount = 20;
  static constexpr int kDetectionSlot = 0;
  static constexpr int kSameModeSlot = 8;
  static constexpr int kStopLimitMs = 1000;

  struct ParameterBlock {
    CMainWnd* owner = nullptr;
    const platform::Event* stop = nullptr;
  };
  using Body = std::function<void(const ParameterBlock&)>;

  ThreadSlotTable();
  ~ThreadSlotTable();

  // Creates the stop events and parameter blocks of every slot.
  void Create(CMainWnd* owner);
  bool IsCreated() const { return created_; }
  // Starts a thread on the slot with the slot's parameter block; false when
  // the table is not created, the slot is out of range or already running.
  bool StartThread(int slot, Body body);
  bool IsRunning(int slot) const;
  const ParameterBlock* Parameters(int slot) const;

  // Shut-down: signals every stop event, then waits for each running thread
  // up to `limitMs`, leaves the ones that do not end to finish on their own
  // (reported on the debug channel) and releases the slots.
  void StopAll(int limitMs = kStopLimitMs);

 private:
  struct Slot {
    std::unique_ptr<platform::WorkerThread> thread;
    ParameterBlock parameters;
    bool started = false;
  };
  std::array<Slot, kSlotCount> slots_;
  bool created_ = false;
};
