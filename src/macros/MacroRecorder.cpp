#include "macros/MacroRecorder.h"

#include "keys/KeyTables.h"
#include "macros/MacroList.h"
#include "platform/HookRecords.h"

namespace macros {

namespace {

size_t IndexOf(Placement placement) {
  switch (placement) {
    case Placement::Append: return 0;
    case Placement::Before: return 1;
    case Placement::After: return 2;
    case Placement::Replace: return 3;
  }
  return 0;
}

// Mouse messages: the button, whether it is a press, the label.
struct MouseMessage {
  uint32_t message;
  int button;
  bool down;
};
constexpr MouseMessage kMouseMessages[] = {
    {platform::kHookLeftDown, 1, true},   {platform::kHookLeftUp, 1, false},
    {platform::kHookRightDown, 2, true},  {platform::kHookRightUp, 2, false},
    {platform::kHookMiddleDown, 4, true}, {platform::kHookMiddleUp, 4, false},
    {platform::kHookExtraDown, 0, true},  {platform::kHookExtraUp, 0, false},
};

}  // namespace

RecordingMemory::Variant& RecordingMemory::For(Placement placement) {
  return variants[IndexOf(placement)];
}

RecordingMemory& RecordingMemory::Shared() {
  static RecordingMemory memory;
  return memory;
}

void MacroRecorder::Start(int timing, uint16_t fixedDelay, uint32_t nowMs) {
  timing_ = timing;
  fixedDelay_ = fixedDelay;
  lastEventMs_ = nowMs;
  // A new recording starts with no key held and no button before it: a
  // memory kept from the last one would drop its first click.
  memory_ = RecordingMemory{};
}

bool MacroRecorder::OnKey(MacroActionList& list, Placement placement, uint32_t message,
                          uint32_t scanCode, uint32_t flags, uint32_t nowMs) {
  const bool down = message == platform::kHookKeyDown || message == platform::kHookSysKeyDown;
  RecordingMemory::Variant& memory = memory_.For(placement);
  const std::pair<uint32_t, bool> key{scanCode, (flags & platform::kHookKeyExtended) != 0};
  if (down) {
    if (memory.lastDown == key)
      return false;  // auto-repeat
    memory.lastDown = key;
  } else if (memory.lastDown == key) {
    memory.lastDown.reset();
  }
  const auto row = keys::FindCapturedKey(scanCode, flags);
  if (!row)
    return false;
  const keys::KeyNameRow& name = keys::KeyNameTable[static_cast<size_t>(*row)];
  MacroActionList::Row action;
  action.Event.Down = down;
  if (name.Code2 != 0) {
    action.Event.Type = EventType::Key;
    action.Event.Button = name.Code2;
  } else {
    action.Event.Type = EventType::Modifier;
    action.Event.Button = name.Code1;
  }
  action.LabelId = name.TextId;
  return Place(list, placement, std::move(action), nowMs);
}

bool MacroRecorder::OnMouseButton(MacroActionList& list, Placement placement, uint32_t message,
                                  uint32_t mouseData, uint32_t nowMs) {
  const MouseMessage* known = nullptr;
  for (const MouseMessage& entry : kMouseMessages)
    if (entry.message == message)
      known = &entry;
  if (known == nullptr)
    return false;
  int button = known->button;
  if (button == 0) {
    const uint32_t extra = mouseData >> 16;
    button = extra == platform::kHookExtraBack ? 8 : extra == platform::kHookExtraForward ? 16 : 0;
    if (button == 0)
      return false;
  }
  RecordingMemory::Variant& memory = memory_.For(placement);
  if (memory.lastMouseMessage == message)
    return false;
  MacroActionList::Row action;
  action.Event.Type = EventType::MouseButton;
  action.Event.Down = known->down;
  action.Event.Button = static_cast<uint8_t>(button);
  action.LabelId = MacroActionList::LabelIdOf(action.Event);
  if (!Place(list, placement, std::move(action), nowMs))
    return false;
  memory.lastMouseMessage = message;
  return true;
}

bool MacroRecorder::Place(MacroActionList& list, Placement placement, MacroActionList::Row row,
                          uint32_t nowMs) {
  if (placement != Placement::Replace && list.Count() >= kMaxRecordedEvents)
    return false;
  const int selected = list.Selected();
  if (placement != Placement::Append && selected < 0)
    return false;

  if (placement == Placement::Replace) {
    MacroActionList::Row& target = list.Edit(static_cast<size_t>(selected));
    const uint16_t delay = target.Event.Delay;
    target.Event = row.Event;
    target.Event.Delay = delay;
    target.LabelId = row.LabelId;
    recorded_ = true;
    return true;
  }

  // The pause since the event before.
  uint32_t pause = 0;
  if (timing_ == FixedDelay) {
    pause = fixedDelay_;
  } else if (timing_ == RealTime) {
    pause = nowMs - lastEventMs_;
    lastEventMs_ = nowMs;
  }
  if (pause > static_cast<uint32_t>(kMaxDelay) - 1)
    pause = kMaxDelay;

  size_t at = list.Count();
  if (placement == Placement::Before)
    at = static_cast<size_t>(selected);
  else if (placement == Placement::After)
    at = static_cast<size_t>(selected) + 1;
  row.Event.Delay = timing_ == FixedDelay ? fixedDelay_ : 0;
  list.Insert(at, std::move(row));
  if (list.Count() == 1) {
    list.Edit(0).Event.Delay = 0;
  } else if (recorded_ && at > 0) {
    // Each event's delay is the time until the next one.
    list.Edit(at - 1).Event.Delay = static_cast<uint16_t>(pause);
  }
  // Before: the selection stays on the row it was on (Insert moved it along);
  // after and append: the new row.
  if (placement != Placement::Before)
    list.Select(static_cast<int>(at));
  recorded_ = true;
  return true;
}

}  // namespace macros
