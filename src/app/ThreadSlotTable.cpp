#include "app/ThreadSlotTable.h"

#include <string>

#include "platform/DebugChannel.h"

ThreadSlotTable::ThreadSlotTable() = default;

ThreadSlotTable::~ThreadSlotTable() { StopAll(); }

void ThreadSlotTable::Create(CMainWnd* owner) {
  if (created_)
    return;
  for (int i = 0; i < kSlotCount; ++i) {
    Slot& slot = slots_[i];
    slot.thread = std::make_unique<platform::WorkerThread>("slot " + std::to_string(i));
    slot.parameters = ParameterBlock{owner, &slot.thread->StopEvent()};
    slot.started = false;
  }
  created_ = true;
}

bool ThreadSlotTable::StartThread(int slot, Body body) {
  if (!created_ || slot < 0 || slot >= kSlotCount || slots_[slot].started)
    return false;
  Slot& s = slots_[slot];
  // The block is copied into the thread: it stays valid after the table is
  // released, even for a thread that overran its stop limit.
  const ParameterBlock parameters = s.parameters;
  s.started = s.thread->Start([parameters, body = std::move(body)](const platform::Event&) {
    body(parameters);
  });
  return s.started;
}

bool ThreadSlotTable::IsRunning(int slot) const {
  return created_ && slot >= 0 && slot < kSlotCount && slots_[slot].started &&
         slots_[slot].thread->IsRunning();
}

const ThreadSlotTable::ParameterBlock* ThreadSlotTable::Parameters(int slot) const {
  if (!created_ || slot < 0 || slot >= kSlotCount)
    return nullptr;
  return &slots_[slot].parameters;
}

void ThreadSlotTable::StopAll(int limitMs) {
  if (!created_)
    return;
  for (Slot& slot : slots_)
    slot.thread->SignalStop();
  for (int i = 0; i < kSlotCount; ++i) {
    Slot& slot = slots_[i];
    // Slots that never ran a thread have nothing to wait for.
    if (!slot.started)
      continue;
    switch (slot.thread->WaitForEnd(limitMs)) {
      case platform::WorkerThread::EndResult::Ended:
      case platform::WorkerThread::EndResult::NotStarted:
        platform::DebugOutput("所有对象处于激发状态\n");
        break;
      case platform::WorkerThread::EndResult::TimedOut:
        platform::DebugOutput("所有对象处于非激发状态，超时\n");
        break;
    }
  }
  for (Slot& slot : slots_) {
    slot.thread.reset();
    slot.parameters = {};
    slot.started = false;
  }
  created_ = false;
}
