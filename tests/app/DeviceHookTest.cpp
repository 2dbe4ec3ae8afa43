#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "app/CDeviceHook.h"
#include "platform/HookRecords.h"
#include "platform/WindowMessageQueue.h"
#include "platform/WindowMessages.h"

namespace {

using platform::CapturedButton;
using platform::CapturedButtonKind;
using platform::CapturedKey;

// A capture that the test feeds by hand; it keeps the sink of every run, so
// a late event of an ended run can be sent too.
class FakeCapture : public platform::InputCapture {
 public:
  Reach GetReach() const override { return Reach::OwnWindow; }
  bool Start(QWindow*, bool keys, bool buttons, platform::CaptureSink sink) override {
    if (refuse)
      return false;
    sinks.push_back(std::move(sink));
    capturing = true;
    this->keys = keys;
    this->buttons = buttons;
    return true;
  }
  void Stop() override {
    capturing = false;
    if (onStop)
      onStop();
  }
  bool IsCapturing() const override { return capturing; }

  void Key(int code, bool pressed, size_t run = SIZE_MAX) {
    Sink(run).key(CapturedKey{code, pressed, 1000});
  }
  void Button(CapturedButtonKind button, bool pressed) {
    Sink(SIZE_MAX).button(CapturedButton{button, pressed, 2000});
  }
  platform::CaptureSink& Sink(size_t run) { return run == SIZE_MAX ? sinks.back() : sinks.at(run); }

  std::vector<platform::CaptureSink> sinks;
  bool capturing = false;
  bool keys = false;
  bool buttons = false;
  bool refuse = false;
  std::function<void()> onStop;
};

struct Received {
  uint32_t message;
  platform::WParam number;
  platform::KeyHookRecord key;
  platform::MouseHookRecord mouse;
};

class Target : public platform::MessageReceiver {
 public:
  platform::LResult ReceiveMessage(uint32_t message, platform::WParam wParam,
                                   platform::LParam lParam) override {
    Received r{message, wParam, {}, {}};
    bool button = false;
    for (int mode : {4, 8, 16, 32})
      button = button || message == CDeviceHook::ButtonMessageOfMode(mode);
    if (button)
      r.mouse = *reinterpret_cast<const platform::MouseHookRecord*>(lParam);
    else
      r.key = *reinterpret_cast<const platform::KeyHookRecord*>(lParam);
    received.push_back(r);
    return 0;
  }
  std::vector<Received> received;
};

// Linux input codes.
constexpr int kA = 30;
constexpr int kLeftCtrl = 29;
constexpr int kRightAlt = 100;
constexpr int kNumLock = 69;
constexpr int kPause = 119;
constexpr int kKeypadEnter = 96;

class DeviceHookTest : public ::testing::Test {
 protected:
  DeviceHookTest() : queue_(target_) {
    auto capture = std::make_unique<FakeCapture>();
    capture_ = capture.get();
    hook_ = std::make_unique<CDeviceHook>(std::move(capture));
  }
  bool Hook(int mode) { return hook_->SetHook(mode, queue_.Handle(), nullptr, true, true); }

  Target target_;
  platform::WindowMessageQueue queue_;
  FakeCapture* capture_ = nullptr;
  std::unique_ptr<CDeviceHook> hook_;
};

TEST_F(DeviceHookTest, EachModeHasItsRegisteredMessage) {
  EXPECT_EQ(CDeviceHook::KeyMessageOfMode(1), platform::RegisterMessageName("WM_HOOK_KEY_SINGLEKEY_MSG"));
  EXPECT_EQ(CDeviceHook::KeyMessageOfMode(32),
            platform::RegisterMessageName("WM_HOOK_KEY_KBMACROSINGLE_MSG"));
  EXPECT_EQ(CDeviceHook::KeyMessageOfMode(1024), platform::RegisterMessageName("WM_HOOK_MOU_KBMACRO_MSG"));
  EXPECT_EQ(CDeviceHook::ButtonMessageOfMode(8),
            platform::RegisterMessageName("WM_HOOK_KEY_MSMACROPREVIOUS_MSG"));
  // The mouse buttons have no message in the key modes, nor does a mode
  // nobody knows.
  EXPECT_EQ(CDeviceHook::ButtonMessageOfMode(1), 0u);
  EXPECT_EQ(CDeviceHook::KeyMessageOfMode(3), 0u);
}

TEST_F(DeviceHookTest, KeysArriveWithScanCodeExtendedFlagAndTheirOwnTime) {
  ASSERT_TRUE(Hook(1));
  EXPECT_TRUE(capture_->keys && capture_->buttons);
  capture_->Key(kA, true);
  capture_->Key(kA, false);
  capture_->Key(kNumLock, true);
  capture_->Key(kPause, true);
  capture_->Key(kKeypadEnter, true);
  ASSERT_EQ(target_.received.size(), 5u);
  const uint32_t single = CDeviceHook::KeyMessageOfMode(1);
  const Received& down = target_.received[0];
  EXPECT_EQ(down.message, single);
  EXPECT_EQ(down.number, platform::kHookKeyDown);
  EXPECT_EQ(down.key.virtualKey, uint32_t{'A'});
  EXPECT_EQ(down.key.scanCode, 0x1Eu);
  EXPECT_EQ(down.key.flags, 0u);
  EXPECT_EQ(down.key.timeMs, 1000u);
  EXPECT_EQ(target_.received[1].number, platform::kHookKeyUp);
  EXPECT_EQ(target_.received[1].key.flags, platform::kHookKeyReleased);
  // Num Lock and Pause share scan code 0x45; only Num Lock is extended.
  EXPECT_EQ(target_.received[2].key.virtualKey, 144u);
  EXPECT_EQ(target_.received[2].key.scanCode, 0x45u);
  EXPECT_EQ(target_.received[2].key.flags, platform::kHookKeyExtended);
  EXPECT_EQ(target_.received[3].key.scanCode, 0x45u);
  EXPECT_EQ(target_.received[3].key.flags, 0u);
  EXPECT_EQ(target_.received[4].key.scanCode, 0x1Cu);
  EXPECT_EQ(target_.received[4].key.flags, platform::kHookKeyExtended);
}

TEST_F(DeviceHookTest, AltWithoutCtrlMakesSystemKeys) {
  ASSERT_TRUE(Hook(4));
  capture_->Key(kRightAlt, true);
  capture_->Key(kA, true);
  capture_->Key(kA, false);
  capture_->Key(kRightAlt, false);
  capture_->Key(kLeftCtrl, true);
  capture_->Key(kRightAlt, true);
  capture_->Key(kA, true);
  ASSERT_EQ(target_.received.size(), 7u);
  const platform::WParam expected[] = {platform::kHookSysKeyDown, platform::kHookSysKeyDown,
                                       platform::kHookSysKeyUp,   platform::kHookSysKeyUp,
                                       platform::kHookKeyDown,    platform::kHookKeyDown,
                                       platform::kHookKeyDown};
  for (size_t i = 0; i < 7; ++i)
    EXPECT_EQ(target_.received[i].number, expected[i]) << "event " << i;
  EXPECT_EQ(target_.received[0].key.flags, platform::kHookKeyExtended | platform::kHookKeyAltDown);
  EXPECT_EQ(target_.received[1].key.flags, platform::kHookKeyAltDown);
  EXPECT_EQ(target_.received[2].message, CDeviceHook::KeyMessageOfMode(4));
}

TEST_F(DeviceHookTest, MouseButtonsCarryTheirMessagesAndTheExtraButtonInTheHighWord) {
  ASSERT_TRUE(Hook(16));
  capture_->Button(CapturedButtonKind::Left, true);
  capture_->Button(CapturedButtonKind::Right, false);
  capture_->Button(CapturedButtonKind::Middle, true);
  capture_->Button(CapturedButtonKind::Back, true);
  capture_->Button(CapturedButtonKind::Forward, false);
  ASSERT_EQ(target_.received.size(), 5u);
  const uint32_t later = platform::RegisterMessageName("WM_HOOK_KEY_MSMACROLATER_MSG");
  for (const Received& r : target_.received)
    EXPECT_EQ(r.message, later);
  EXPECT_EQ(target_.received[0].number, platform::kHookLeftDown);
  EXPECT_EQ(target_.received[1].number, platform::kHookRightUp);
  EXPECT_EQ(target_.received[2].number, platform::kHookMiddleDown);
  EXPECT_EQ(target_.received[3].number, platform::kHookExtraDown);
  EXPECT_EQ(target_.received[3].mouse.mouseData >> 16, platform::kHookExtraBack);
  EXPECT_EQ(target_.received[4].number, platform::kHookExtraUp);
  EXPECT_EQ(target_.received[4].mouse.mouseData >> 16, platform::kHookExtraForward);
}

TEST_F(DeviceHookTest, NothingOfAnEndedRunIsDelivered) {
  ASSERT_TRUE(Hook(1));
  hook_->Unhook();
  EXPECT_FALSE(capture_->capturing);
  capture_->Key(kA, true, 0);
  EXPECT_TRUE(target_.received.empty());

  // A new run: the first run's late keys stay out, the new run's come in.
  ASSERT_TRUE(Hook(4));
  capture_->Key(kA, true, 0);
  capture_->Key(kA, true, 1);
  ASSERT_EQ(target_.received.size(), 1u);
  EXPECT_EQ(target_.received[0].message, CDeviceHook::KeyMessageOfMode(4));
}

TEST_F(DeviceHookTest, AHookThatCannotTakeTheKeysCapturesNothing) {
  capture_->refuse = true;
  EXPECT_FALSE(Hook(4));
  EXPECT_FALSE(hook_->IsKeyboardHooked());
  EXPECT_FALSE(hook_->IsLibraryHooked());
  // Without the keyboard asked for, a refused start is not a failure.
  EXPECT_TRUE(hook_->SetHook(4, queue_.Handle(), nullptr, false, true));
}

TEST_F(DeviceHookTest, DestroyingTheHookEndsTheCapture) {
  ASSERT_TRUE(Hook(1));
  bool stillCapturing = true;
  capture_->onStop = [&] { stillCapturing = false; };
  hook_.reset();
  EXPECT_FALSE(stillCapturing);
}

}  // namespace
