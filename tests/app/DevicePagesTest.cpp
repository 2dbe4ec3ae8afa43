#include <gtest/gtest.h>

#include <QPointer>
#include <QTemporaryDir>
#include <QThread>

#include "app/CMainWnd.h"
#include "app/DevicePageSet.h"
#include "app/DeviceRegistry.h"
#include "app/OwnControls.h"
#include "app/ShellMessages.h"
#include "devices/CDeviceOptionUI.h"
#include "devices/CVarnisUSBDevice.h"
#include "platform/DebugChannel.h"
#include "platform/WindowMessages.h"
#include "sim/DeviceSimulator.h"
#include "support/EventLoopHelpers.h"
#include "support/MainWindowEnvironment.h"
#include "support/SimulatedMainWindow.h"
#include "toolkit/CButtonUI.h"
#include "toolkit/CPaintManagerUI.h"
#include "toolkit/CResourceManager.h"
#include "toolkit/CTabLayoutUI.h"
#include "ui/CMsgWnd.h"

using namespace toolkit;
using sim::DeviceKind;
using testing_support::RunFor;
using testing_support::RunUntil;

namespace {

// The main window on the shipped skin, finding simulated devices through
// the real HID layer.
class DevicePages : public testing_support::SimulatedMainWindow {
 protected:
  void Start() {
    window_ = std::make_unique<CMainWnd>();
    ASSERT_TRUE(testing_support::MainWindowEnvironment::Create(*window_));
    EXPECT_TRUE(window_->SkinErrors().isEmpty()) << window_->SkinErrors().join("\n").toStdString();
    ASSERT_TRUE(RunUntil([&] { return Shown(); }));
  }
  bool Shown() const { return window_->isVisible() && !window_->isMinimized(); }
  DevicePageSet& Pages() { return window_->Pages(); }
  CDeviceOptionUI* Selector(DevicePageSet::Kind kind) { return Pages().SelectorAt(kind); }
  CVarnisUSBDevice* Device(DevicePageSet::Kind kind) {
    const auto& list = Pages().Devices(kind);
    return list.empty() ? nullptr : list.front();
  }
  bool PageShown(DevicePageSet::Kind kind) {
    return Selector(kind) != nullptr && Selector(kind)->IsShown();
  }
  bool NoDeviceShown() { return window_->FindControl("No_device_Link")->IsOwnVisible(); }
  int LinkQueries(DeviceKind kind) {
    int count = 0;
    for (const auto& entry : simulator_->Firmware(kind).Log())
      count += entry.toDevice && entry.report[3] == 0xAA ? 1 : 0;
    return count;
  }
};

}  // namespace

TEST_F(DevicePages, ADeviceAttachedBeforeStartIsOnItsPageWhenTheWindowFirstShows) {
  ASSERT_TRUE(simulator_->Plug("keyboard"));
  Start();
  EXPECT_TRUE(PageShown(DevicePageSet::Keyboard));
  EXPECT_FALSE(NoDeviceShown());
  // Mouse, keyboard and pad pages exist from the start, in the bar's order.
  ASSERT_EQ(Pages().Selectors().size(), 3u);
  EXPECT_EQ(Pages().Selectors()[1]->GetText(), "keyboard");
  CVarnisUSBDevice* keyboard = Device(DevicePageSet::Keyboard);
  ASSERT_NE(keyboard, nullptr);
  EXPECT_TRUE(keyboard->Commands.IsOpen);
  EXPECT_EQ(keyboard->Commands.ChunkSize, 56) << "a keyboard by cable sends 56 bytes a request";
  // The only device is selected: its page and power panel are shown.
  EXPECT_TRUE(Selector(DevicePageSet::Keyboard)->IsSelected());
  auto* pages = qobject_cast<CTabLayoutUI*>(window_->FindControl("device_switch"));
  EXPECT_EQ(pages->GetCurSel(), Selector(DevicePageSet::Keyboard)->BoundTabIndex());
  // Its event interface is read too.
  ASSERT_TRUE(RunUntil([&] { return keyboard->IsEventInterfaceOpen(false); }));
}

TEST_F(DevicePages, EveryKindShowsItsPageWhilePluggedAndTheHeadsetPageIsMadeOnArrival) {
  Start();
  EXPECT_TRUE(NoDeviceShown());
  struct Case {
    const char* connection;
    DevicePageSet::Kind kind;
  };
  for (const Case& c : {Case{"keyboard", DevicePageSet::Keyboard}, Case{"mouse", DevicePageSet::Mouse},
                        Case{"pad", DevicePageSet::MousePad}, Case{"headset", DevicePageSet::Headset}}) {
    SCOPED_TRACE(c.connection);
    ASSERT_TRUE(simulator_->Plug(c.connection));
    ASSERT_TRUE(RunUntil([&] { return PageShown(c.kind); }));
    EXPECT_FALSE(NoDeviceShown());
    CVarnisUSBDevice* device = Device(c.kind);
    ASSERT_NE(device, nullptr);
    EXPECT_TRUE(device->Commands.IsOpen);
    // Keyboard and mouse set their mode; pad and headset keep 24-byte
    // requests even by cable.
    const bool setsMode = c.kind == DevicePageSet::Keyboard || c.kind == DevicePageSet::Mouse;
    EXPECT_EQ(device->Commands.ChunkSize, setsMode ? 56 : 24);
    ASSERT_TRUE(simulator_->Unplug(c.connection));
    ASSERT_TRUE(RunUntil([&] { return !PageShown(c.kind); }));
    EXPECT_FALSE(device->Commands.IsOpen);
    // The page goes at once; the link is closed on the device's worker.
    EXPECT_TRUE(RunUntil([&] { return !device->Commands.Wired.IsOpen(); }));
    EXPECT_TRUE(NoDeviceShown());
  }
  EXPECT_EQ(Pages().Selectors().size(), 4u);
  EXPECT_EQ(Pages().PowerPanels().size(), 4u);
  // Plugged again: the same page, no second headset page.
  ASSERT_TRUE(simulator_->Plug("headset"));
  ASSERT_TRUE(RunUntil([&] { return PageShown(DevicePageSet::Headset); }));
  EXPECT_EQ(Pages().Selectors().size(), 4u);
}

TEST_F(DevicePages, HidingTheSelectedPageSelectsAnotherVisibleOne) {
  ASSERT_TRUE(simulator_->Plug("keyboard"));
  Start();
  ASSERT_TRUE(simulator_->Plug("pad"));
  ASSERT_TRUE(RunUntil([&] { return PageShown(DevicePageSet::MousePad); }));
  EXPECT_TRUE(Selector(DevicePageSet::Keyboard)->IsSelected()) << "an arrival does not take the selection";
  ASSERT_TRUE(simulator_->Unplug("keyboard"));
  ASSERT_TRUE(RunUntil([&] { return !PageShown(DevicePageSet::Keyboard); }));
  EXPECT_TRUE(Selector(DevicePageSet::MousePad)->IsSelected());
  auto* pages = qobject_cast<CTabLayoutUI*>(window_->FindControl("device_switch"));
  EXPECT_EQ(pages->GetCurSel(), Selector(DevicePageSet::MousePad)->BoundTabIndex());
}

TEST_F(DevicePages, TheWirelessMouseMovesBetweenReceiverAndCable) {
  platform::DebugCapture capture;
  ASSERT_TRUE(simulator_->Plug("mouse-receiver"));
  Start();
  CVarnisUSBDevice* mouse = Device(DevicePageSet::Mouse);
  ASSERT_NE(mouse, nullptr);
  // Through the receiver the page waits for the connect timer's answer.
  ASSERT_TRUE(RunUntil([&] { return PageShown(DevicePageSet::Mouse); }));
  EXPECT_TRUE(mouse->Commands.WirelessMode);
  EXPECT_EQ(mouse->Commands.ChunkSize, 24);

  // A settings window is open when the cable is plugged in.
  auto* settings = new CMsgWnd;
  ASSERT_TRUE(settings->Create(window_.get(), "settings", UI_WNDSTYLE_DIALOG, 0));
  settings->ShowWindow(true, false);
  QPointer<CMsgWnd> watch(settings);
  window_->SetSettingsWindow(settings);

  ASSERT_TRUE(simulator_->Plug("mouse"));
  ASSERT_TRUE(RunUntil([&] { return !mouse->Commands.WirelessMode; }));
  EXPECT_TRUE(mouse->Commands.IsOpen);
  EXPECT_EQ(mouse->Commands.ChunkSize, 56);
  EXPECT_TRUE(PageShown(DevicePageSet::Mouse));
  ASSERT_TRUE(RunUntil([&] { return watch.isNull() || !watch->isVisible(); }));

  // Cable pulled: back to the receiver, whose link is asked for.
  const int queriesBefore = LinkQueries(DeviceKind::Mouse);
  ASSERT_TRUE(simulator_->Unplug("mouse"));
  ASSERT_TRUE(RunUntil([&] { return mouse->Commands.WirelessMode.load(); }));
  EXPECT_TRUE(mouse->Commands.IsOpen);
  EXPECT_EQ(mouse->Commands.ChunkSize, 24);
  // The link is asked for on the device's worker, after the switch.
  EXPECT_TRUE(RunUntil([&] { return LinkQueries(DeviceKind::Mouse) > queriesBefore; }));
  EXPECT_TRUE(PageShown(DevicePageSet::Mouse));

  // Cable in again, then the receiver pulled: nothing changes.
  ASSERT_TRUE(simulator_->Plug("mouse"));
  ASSERT_TRUE(RunUntil([&] { return !mouse->Commands.WirelessMode; }));
  ASSERT_TRUE(simulator_->Unplug("mouse-receiver"));
  ASSERT_TRUE(RunUntil([&] { return window_->Registry().Slot(6).InUse == 0; }));
  RunFor(150);
  EXPECT_FALSE(mouse->Commands.WirelessMode);
  EXPECT_TRUE(mouse->Commands.IsOpen);
  EXPECT_TRUE(PageShown(DevicePageSet::Mouse));
}

TEST_F(DevicePages, ASwitchToAReceiverWhoseMouseIsOffAsksTwentySixTimes) {
  ASSERT_TRUE(simulator_->Plug("mouse-receiver"));
  ASSERT_TRUE(simulator_->Plug("mouse"));
  Start();
  CVarnisUSBDevice* mouse = Device(DevicePageSet::Mouse);
  ASSERT_TRUE(RunUntil([&] { return mouse->Commands.IsOpen && !mouse->Commands.WirelessMode; }));
  simulator_->Firmware(DeviceKind::Mouse).SetWirelessOn(false);
  platform::DebugCapture capture;
  const int queriesBefore = LinkQueries(DeviceKind::Mouse);
  ASSERT_TRUE(simulator_->Unplug("mouse"));
  ASSERT_TRUE(RunUntil([&] { return mouse->Commands.WirelessMode.load(); }, 8000));
  auto failures = [&] {
    int count = 0;
    for (const std::string& line : capture.Lines())
      count += line.find("获取2.4G模式失败") != std::string::npos ? 1 : 0;
    return count;
  };
  // Asked on the worker, 50 ms apart, while the window goes on.
  EXPECT_TRUE(RunUntil([&] { return failures() >= DevicePageSet::kLinkQueryTries; }, 8000));
  RunFor(200);
  EXPECT_EQ(failures(), DevicePageSet::kLinkQueryTries);
  EXPECT_GE(LinkQueries(DeviceKind::Mouse) - queriesBefore, DevicePageSet::kLinkQueryTries);
}

TEST_F(DevicePages, UnpluggingEndsTheWaitingEventReaderAndHidesThePage) {
  ASSERT_TRUE(simulator_->Plug("pad"));
  Start();
  CVarnisUSBDevice* pad = Device(DevicePageSet::MousePad);
  ASSERT_TRUE(RunUntil([&] { return pad->Events.Wired.ReadPending.load(); }));
  ASSERT_TRUE(simulator_->Unplug("pad"));
  ASSERT_TRUE(RunUntil([&] { return !PageShown(DevicePageSet::MousePad); }, 1000));
  ASSERT_TRUE(RunUntil([&] { return !pad->EventReader(false).IsRunning(); }, 1000));
  EXPECT_FALSE(pad->IsEventInterfaceOpen(false));
}

TEST_F(DevicePages, WithEverySlotBoundRemovalIsStillSeen) {
  for (const std::string& connection : sim::DeviceSimulator::ConnectionNames())
    ASSERT_TRUE(simulator_->Plug(connection));
  Start();
  ASSERT_TRUE(RunUntil([&] {
    for (const InterfaceRecord& slot : window_->Registry().Snapshot())
      if (slot.InUse != 1)
        return false;
    return true;
  }));
  ASSERT_TRUE(simulator_->Unplug("headset"));
  ASSERT_TRUE(RunUntil([&] { return !PageShown(DevicePageSet::Headset); }, 1000));
}

TEST_F(DevicePages, DestroyingTheWindowWhileTheDetectionThreadSendsNeitherHangsNorCrashes) {
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    window_ = std::make_unique<CMainWnd>();
    ASSERT_TRUE(testing_support::MainWindowEnvironment::Create(*window_));
    ASSERT_TRUE(RunUntil([&] { return window_->IsInitialised(); }));
    // The UI thread is busy while devices arrive: the detection thread
    // waits in its send when the window goes.
    ASSERT_TRUE(simulator_->Plug("keyboard"));
    ASSERT_TRUE(simulator_->Plug("pad"));
    QThread::msleep(250);
    window_->DestroyWindow();
    EXPECT_FALSE(window_->Threads().IsRunning(ThreadSlotTable::kDetectionSlot));
    // Every page went with the window.
    EXPECT_TRUE(window_->Pages().Selectors().empty());
    EXPECT_TRUE(window_->Pages().AllDevices().empty());
    EXPECT_TRUE(window_->Pages().PowerPanels().empty());
    window_.reset();
    ASSERT_TRUE(simulator_->Unplug("keyboard"));
    ASSERT_TRUE(simulator_->Unplug("pad"));
  }
}

TEST_F(DevicePages, AnArrivalBringsTheHiddenWindowBackAndClearsTheTrayMarks) {
  ASSERT_TRUE(simulator_->Plug("mouse-receiver"));
  Start();
  CVarnisUSBDevice* mouse = Device(DevicePageSet::Mouse);
  ASSERT_NE(mouse, nullptr);
  static_cast<CButtonUI*>(window_->FindControl("closebtn"))->Activate();
  ASSERT_FALSE(Shown());
  // Only a device that shows its power keeps the mark (the mouse does);
  // without a tray the window is minimised, not hidden there.
  EXPECT_EQ(mouse->IsTrayHidden(), CTrayIcon::IsSystemTrayAvailable());
  EXPECT_FALSE(Device(DevicePageSet::Keyboard)->IsTrayHidden());
  ASSERT_TRUE(simulator_->Plug("keyboard"));
  ASSERT_TRUE(RunUntil([&] { return Shown(); }));
  EXPECT_FALSE(mouse->IsTrayHidden());
}
