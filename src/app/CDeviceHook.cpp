#include "app/CDeviceHook.h"

#include <string_view>

#include "keys/CaptureKeyMap.h"
#include "platform/HookRecords.h"
#include "platform/WindowMessages.h"

namespace {

struct ModeMessage {
  int mode;
  std::string_view name;
};

constexpr ModeMessage kKeyMessages[] = {
    {1, "WM_HOOK_KEY_SINGLEKEY_MSG"},        {2, "WM_HOOK_KEY_HITKEY_MSG"},
    {4, "WM_HOOK_KEY_KBMACRO_MSG"},          {8, "WM_HOOK_KEY_KBMACROPREVIOUS_MSG"},
    {16, "WM_HOOK_KEY_KBMACROLATER_MSG"},    {32, "WM_HOOK_KEY_KBMACROSINGLE_MSG"},
    {256, "WM_HOOK_MOU_SINGLEKEY_MSG"},      {512, "WM_HOOK_MOU_HITKEY_MSG"},
    {1024, "WM_HOOK_MOU_KBMACRO_MSG"},
};

constexpr ModeMessage kButtonMessages[] = {
    {4, "WM_HOOK_KEY_MSMACRO_MSG"},
    {8, "WM_HOOK_KEY_MSMACROPREVIOUS_MSG"},
    {16, "WM_HOOK_KEY_MSMACROLATER_MSG"},
    {32, "WM_HOOK_KEY_MSMACROSINGLE_MSG"},
};

template <size_t N>
uint32_t MessageOf(const ModeMessage (&table)[N], int mode) {
  for (const ModeMessage& row : table)
    if (row.mode == mode)
      return platform::RegisterMessageName(row.name);
  return 0;
}

// Linux input codes of the modifiers that choose the system-key messages.
constexpr int kLeftCtrl = 29;
constexpr int kRightCtrl = 97;
constexpr int kLeftAlt = 56;
constexpr int kRightAlt = 100;

}  // namespace

CDeviceHook::CDeviceHook(std::unique_ptr<platform::InputCapture> capture)
    : capture_(std::move(capture)) {}

CDeviceHook::~CDeviceHook() { Unhook(); }

uint32_t CDeviceHook::KeyMessageOfMode(int mode) { return MessageOf(kKeyMessages, mode); }

uint32_t CDeviceHook::ButtonMessageOfMode(int mode) { return MessageOf(kButtonMessages, mode); }

bool CDeviceHook::SetHook(int mode, platform::WindowHandle target, QWindow* window,
                          bool keyboardHook, bool libraryHook) {
  Unhook();
  mode_ = mode;
  target_ = target;
  if (!keyboardHook && !libraryHook)
    return true;
  const uint64_t run = ++run_;
  platform::CaptureSink sink;
  sink.key = [this, run](const platform::CapturedKey& key) { OnKey(run, key); };
  sink.button = [this, run](const platform::CapturedButton& button) { OnButton(run, button); };
  const bool started = capture_->Start(window, keyboardHook, libraryHook, std::move(sink));
  if (!started) {
    ++run_;
    // Without the keys, the mouse buttons are not taken either.
    return !keyboardHook;
  }
  keyboardHooked_ = keyboardHook;
  libraryHooked_ = libraryHook;
  return true;
}

void CDeviceHook::Unhook() {
  ++run_;
  capture_->Stop();
  keyboardHooked_ = false;
  libraryHooked_ = false;
  altHeld_[0] = altHeld_[1] = false;
  ctrlHeld_[0] = ctrlHeld_[1] = false;
}

void CDeviceHook::OnKey(uint64_t run, const platform::CapturedKey& key) {
  if (run != run_ || !keyboardHooked_)
    return;
  const bool altBefore = altHeld_[0] || altHeld_[1];
  if (key.inputCode == kLeftAlt || key.inputCode == kRightAlt)
    altHeld_[key.inputCode == kRightAlt] = key.pressed;
  if (key.inputCode == kLeftCtrl || key.inputCode == kRightCtrl)
    ctrlHeld_[key.inputCode == kRightCtrl] = key.pressed;
  // A press counts the Alt it makes held; a release the Alt held before it.
  const bool alt = key.pressed ? (altHeld_[0] || altHeld_[1]) : altBefore;
  const bool system = alt && !ctrlHeld_[0] && !ctrlHeld_[1];

  platform::KeyHookRecord record{};
  record.virtualKey = keys::CaptureKeyMap::VirtualKeyOfInputCode(key.inputCode);
  if (const auto scan = keys::CaptureKeyMap::ScanKeyOfInputCode(key.inputCode)) {
    record.scanCode = scan->ScanCode;
    if (scan->Extended)
      record.flags |= platform::kHookKeyExtended;
  }
  if (alt)
    record.flags |= platform::kHookKeyAltDown;
  if (!key.pressed)
    record.flags |= platform::kHookKeyReleased;
  record.timeMs = key.timeMs;

  const uint32_t message = KeyMessageOfMode(mode_);
  if (message == 0)
    return;
  const uint32_t number = key.pressed ? (system ? platform::kHookSysKeyDown : platform::kHookKeyDown)
                                      : (system ? platform::kHookSysKeyUp : platform::kHookKeyUp);
  platform::SendWindowMessage(target_, message, number, reinterpret_cast<platform::LParam>(&record));
}

void CDeviceHook::OnButton(uint64_t run, const platform::CapturedButton& button) {
  if (run != run_ || !libraryHooked_)
    return;
  const uint32_t message = ButtonMessageOfMode(mode_);
  if (message == 0)
    return;
  using Kind = platform::CapturedButtonKind;
  platform::MouseHookRecord record{};
  record.timeMs = button.timeMs;
  uint32_t number = 0;
  switch (button.button) {
    case Kind::Left:
      number = button.pressed ? platform::kHookLeftDown : platform::kHookLeftUp;
      break;
    case Kind::Right:
      number = button.pressed ? platform::kHookRightDown : platform::kHookRightUp;
      break;
    case Kind::Middle:
      number = button.pressed ? platform::kHookMiddleDown : platform::kHookMiddleUp;
      break;
    case Kind::Back:
    case Kind::Forward:
      number = button.pressed ? platform::kHookExtraDown : platform::kHookExtraUp;
      record.mouseData =
          (button.button == Kind::Back ? platform::kHookExtraBack : platform::kHookExtraForward) << 16;
      break;
  }
  platform::SendWindowMessage(target_, message, number, reinterpret_cast<platform::LParam>(&record));
}
