#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <algorithm>
#include <array>

#include "app/CMainWnd.h"
#include "app/DevicePageSet.h"
#include "devices/CVarnisMouseDevice.h"
#include "profiles/JsonFile.h"
#include "protocol/ParameterBlocks.h"
#include "support/EventLoopHelpers.h"
#include "support/SimulatedMainWindow.h"
#include "toolkit/CControlUI.h"
#include "toolkit/CPaintManagerUI.h"
#include "toolkit/CPaintManagerUI.h"

namespace testing_support {

// The main window on the shipped skin and templates with a simulated mouse,
// reached through the real HID layer and detection.
class SimulatedMousePage : public SimulatedMainWindow {
 protected:
  using Parameters = protocol::MouseParameters;
  // Starts the window with the mouse on `connection` and waits for its
  // first contact.
  void Start(const char* connection = "mouse") {
    ASSERT_TRUE(simulator_->Plug(connection));
    window_ = std::make_unique<CMainWnd>();
    ASSERT_TRUE(testing_support::MainWindowEnvironment::Create(*window_));
    ASSERT_TRUE(testing_support::RunUntil([&] {
      const auto& list = window_->Pages().Devices(DevicePageSet::Mouse);
      mouse_ = list.empty() ? nullptr : qobject_cast<CVarnisMouseDevice*>(list.front());
      return mouse_ != nullptr && mouse_->Mouse().FirstContactComplete();
    })) << "the mouse was never read";
    window_->Pages().ShowDevicePage(DevicePageSet::Mouse, true, true);
    ASSERT_EQ(window_->CurrentDevice(), mouse_);
    Settle();
  }
  void Settle() {
    testing_support::RunFor(10);
    ASSERT_TRUE(testing_support::RunUntil([&] { return mouse_->Core().IsIdle(); }));
  }
  template <typename T>
  T* Control(const QString& name) {
    auto* control = mouse_->findChild<T*>(name);
    EXPECT_NE(control, nullptr) << name.toStdString();
    return control;
  }
  QString Indexed(const char* prefix, int n) { return QString::fromLatin1(prefix) + QString::number(n); }
  sim::FirmwareModel& Firmware() { return simulator_->Firmware(sim::DeviceKind::Mouse); }
  Parameters::Bytes Block(int slot = 0) {
    const auto memory = *Firmware().Region("parameters");
    Parameters::Bytes block{};
    std::copy_n(memory.begin() + slot * Parameters::kStride, block.size(), block.begin());
    return block;
  }
  std::array<uint8_t, 3> Slot(int slot) {
    const auto table = *Firmware().Region("key_table");
    return {table[slot * 3], table[slot * 3 + 1], table[slot * 3 + 2]};
  }
  Json::Value Profile() { return JsonFile().ReadJson(mouse_->ProfilePath())["Device"][0]; }
  // What a user's change of a control raises.
  void Notify(toolkit::CControlUI* control, const char* type) {
    control->GetManager()->SendNotify(control, QString::fromLatin1(type));
    Settle();
  }

  CVarnisMouseDevice* mouse_ = nullptr;
};

}  // namespace testing_support
