#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <map>
#include <memory>
#include <string>

#include "app/CMainWnd.h"
#include "app/DevicePageSet.h"
#include "devices/CVarnisUSBDevice.h"
#include "protocol/Command.h"
#include "sim/DeviceSimulator.h"
#include "storm/StormFigures.h"
#include "support/EventLoopHelpers.h"
#include "support/SimulatedMainWindow.h"

using sim::DeviceKind;
using testing_support::RunFor;
using testing_support::RunUntil;

// Storms against the simulator while the main window runs (offscreen):
// devices coming and going, switching links and falling silent.
namespace {

class DeviceStorm : public testing_support::SimulatedMainWindow {
 protected:
  void Start() {
    window_ = std::make_unique<CMainWnd>();
    ASSERT_TRUE(testing_support::MainWindowEnvironment::Create(*window_));
    ASSERT_TRUE(RunUntil([&] { return window_->isVisible(); }, 10000));
  }
  CVarnisUSBDevice* Device(DevicePageSet::Kind kind) {
    const auto& list = window_->Pages().Devices(kind);
    return list.empty() ? nullptr : list.front();
  }
  bool Idle() {
    for (CVarnisUSBDevice* device : window_->Pages().AllDevices())
      if (!device->Core().IsIdle())
        return false;
    return true;
  }
  bool Read(DevicePageSet::Kind kind) {
    CVarnisUSBDevice* device = Device(kind);
    return device != nullptr && device->Commands.IsOpen && device->Core().ReadBefore() &&
           device->Core().IsIdle();
  }
  // The device's clock (ms) at its newest log entry: a mark to count from.
  // Positions in the log do not do: it keeps only its newest entries, and a
  // streaming headset fills it within minutes.
  int64_t Mark(DeviceKind kind) {
    const auto log = simulator_->Firmware(kind).Log();
    return log.empty() ? 0 : log.back().milliseconds;
  }
  // Requests of `command` the device got after the mark `since`.
  int Requests(DeviceKind kind, protocol::Command command, int64_t since = 0) {
    const auto log = simulator_->Firmware(kind).Log();
    int count = 0;
    for (const sim::LogEntry& entry : log)
      count += entry.milliseconds > since && entry.toDevice && entry.report[0] == 4 &&
                       entry.report[3] == static_cast<uint8_t>(command)
                   ? 1
                   : 0;
    return count;
  }
  // Every device page's links closed and its worker idle.
  bool AllClosed() {
    for (CVarnisUSBDevice* device : window_->Pages().AllDevices())
      if (device->Commands.IsOpen || device->Commands.Wired.IsOpen() ||
          device->Commands.Receiver.IsOpen() || device->IsEventInterfaceOpen(false) ||
          device->IsEventInterfaceOpen(true) || !device->Core().IsIdle())
        return false;
    return true;
  }
};

struct Connection {
  const char* name;
  DevicePageSet::Kind page;
  DeviceKind device;
};
constexpr Connection kConnections[] = {
    {"keyboard", DevicePageSet::Keyboard, DeviceKind::Keyboard},
    {"keyboard-receiver", DevicePageSet::Keyboard, DeviceKind::Keyboard},
    {"mouse", DevicePageSet::Mouse, DeviceKind::Mouse},
    {"mouse-receiver", DevicePageSet::Mouse, DeviceKind::Mouse},
    {"pad", DevicePageSet::MousePad, DeviceKind::Pad},
    {"headset", DevicePageSet::Headset, DeviceKind::Headset},
};

}  // namespace

// Every connection plugged and unplugged, one after the other, N times.
// Every other cycle waits for the device to be read after its link opens
// (its connect timer, then the first contact); the others unplug as soon as
// the link is open, in the middle of the first contact.
TEST_F(DeviceStorm, PlugAndUnplugEveryKindOverAndOver) {
  const int cycles = storm::Cycles(100);
  Start();
  auto cycle = [&](const Connection& c, bool waitForRead) {
    const int64_t from = Mark(c.device);
    if (!simulator_->Plug(c.name))
      return false;
    if (!RunUntil([&] { return Device(c.page) != nullptr && Device(c.page)->Commands.IsOpen; },
                  10000))
      return false;
    if (waitForRead &&
        !RunUntil([&] { return Requests(c.device, protocol::Command::ReadParameters, from) > 0; },
                  10000))
      return false;
    if (!simulator_->Unplug(c.name))
      return false;
    return RunUntil([&] { return !Device(c.page)->Commands.IsOpen; }, 10000);
  };
  // One cycle first, each device read, so that what is made once per page
  // (the headset's page, each page's light thread) is there before counting.
  for (const Connection& c : kConnections)
    ASSERT_TRUE(cycle(c, true)) << c.name;
  ASSERT_TRUE(RunUntil([&] { return AllClosed(); }, 10000));
  RunFor(300);

  storm::Figures figures("plug-unplug");
  figures.Start();
  for (int i = 0; i < cycles; ++i)
    for (const Connection& c : kConnections)
      ASSERT_TRUE(cycle(c, i % 2 == 0)) << c.name << " in cycle " << i;
  ASSERT_TRUE(RunUntil([&] { return AllClosed(); }, 10000));
  RunFor(300);
  figures.Print(cycles, "connections=6");
  EXPECT_EQ(storm::OpenDescriptors(), figures.fdsBefore) << "no descriptor left open";
  EXPECT_EQ(storm::Threads(), figures.threadsBefore) << "no thread left running";
  for (const std::string& name : sim::DeviceSimulator::ConnectionNames())
    EXPECT_EQ(simulator_->OpenCount(name), 0) << name;

  // Still working afterwards: a device plugged is read.
  ASSERT_TRUE(simulator_->Plug("keyboard"));
  EXPECT_TRUE(RunUntil([&] { return Read(DevicePageSet::Keyboard); }, 10000));
}

// The wireless mouse moves between cable and receiver while its key table
// is written, over and over; afterwards a key-table write goes through.
TEST_F(DeviceStorm, TheMouseSwitchesLinksDuringKeyTableWrites) {
  const int cycles = storm::Cycles(100);
  ASSERT_TRUE(simulator_->Plug("mouse-receiver"));
  ASSERT_TRUE(simulator_->Plug("mouse"));
  Start();
  ASSERT_TRUE(RunUntil([&] { return Read(DevicePageSet::Mouse); }, 10000));
  CVarnisUSBDevice* mouse = Device(DevicePageSet::Mouse);

  // Each answer a little late, so that a table of several chunks is still
  // on its way when the link changes under it.
  simulator_->Firmware(DeviceKind::Mouse).SetFault(*sim::Fault::Parse("delay:3"));
  storm::Figures figures("mouse-link-switch");
  figures.Start();
  int results = 0;
  int written = 0;
  for (int i = 0; i < cycles; ++i) {
    const int64_t from = Mark(DeviceKind::Mouse);
    mouse->DownloadKeys(0, [&](int result) {
      ++results;
      written += result == 1 ? 1 : 0;
    });
    // The switch comes once the table is on its way.
    RunUntil([&] { return Requests(DeviceKind::Mouse, protocol::Command::WriteKeyTable, from) > 0; },
             2000);
    ASSERT_TRUE(simulator_->Unplug("mouse"));
    ASSERT_TRUE(RunUntil([&] { return mouse->Commands.IsOpen && mouse->Commands.WirelessMode; },
                         10000))
        << "to the receiver in cycle " << i;
    mouse->DownloadKeys(0);
    ASSERT_TRUE(simulator_->Plug("mouse"));
    ASSERT_TRUE(RunUntil([&] { return mouse->Commands.IsOpen && !mouse->Commands.WirelessMode; },
                         10000))
        << "to the cable in cycle " << i;
  }
  ASSERT_TRUE(RunUntil([&] { return Idle(); }, 20000));
  simulator_->Firmware(DeviceKind::Mouse).SetFault({});
  figures.Print(cycles, "writes_answered=" + std::to_string(written) + "/" +
                            std::to_string(results));
  EXPECT_EQ(results, cycles) << "every write's completion ran";

  // Settled: a write by cable is answered, and the table holds the keys.
  int last = -1;
  mouse->DownloadKeys(0, [&](int result) { last = result; });
  ASSERT_TRUE(RunUntil([&] { return last != -1; }, 10000));
  EXPECT_EQ(last, 1);
  EXPECT_EQ(simulator_->OpenCount("mouse"), 2) << "command and event interface, once each";
}

// A device that stops answering in the middle of a transfer: the window
// keeps running, the write reports its failure, and once the device
// answers again the next write goes through. Repeated, also with the
// device unplugged while silent.
TEST_F(DeviceStorm, ADeviceThatFallsSilentMidTransfer) {
  const int cycles = storm::Cycles(100) / 6 + 1;
  ASSERT_TRUE(simulator_->Plug("keyboard"));
  Start();
  ASSERT_TRUE(RunUntil([&] { return Read(DevicePageSet::Keyboard); }, 10000));
  CVarnisUSBDevice* keyboard = Device(DevicePageSet::Keyboard);
  sim::FirmwareModel& firmware = simulator_->Firmware(DeviceKind::Keyboard);

  storm::Figures figures("silent-device");
  figures.Start();
  qint64 longestTurn = 0;
  for (int i = 0; i < cycles; ++i) {
    // Silent after a few answers: the information block, the start of the
    // transfer and some of the table's chunks.
    const int answers = 2 + i % 6;
    firmware.SetFault(*sim::Fault::Parse("noanswer-after:" + std::to_string(answers)));
    int result = -1;
    keyboard->DownloadKeys(0, [&](int r) { result = r; });
    // The UI thread keeps turning while the worker waits for answers.
    QElapsedTimer turn;
    turn.start();
    ASSERT_TRUE(RunUntil([&] {
      longestTurn = std::max(longestTurn, turn.restart());
      return result != -1;
    }, 30000));
    EXPECT_EQ(result, 0) << "the silent device's write fails";
    if (i % 2 == 1) {
      // Unplugged while silent, back with its answers.
      ASSERT_TRUE(simulator_->Unplug("keyboard"));
      ASSERT_TRUE(RunUntil([&] { return !keyboard->Commands.IsOpen; }, 10000));
      firmware.SetFault({});
      ASSERT_TRUE(simulator_->Plug("keyboard"));
      ASSERT_TRUE(RunUntil([&] { return keyboard->Commands.IsOpen && keyboard->Core().IsIdle(); },
                           10000));
    } else {
      firmware.SetFault({});
    }
    int after = -1;
    keyboard->DownloadKeys(0, [&](int r) { after = r; });
    ASSERT_TRUE(RunUntil([&] { return after != -1; }, 10000));
    EXPECT_EQ(after, 1) << "answered again in cycle " << i;
  }
  figures.Print(cycles, "longest_ui_turn_ms=" + std::to_string(longestTurn));
}
