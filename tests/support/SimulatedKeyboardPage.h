#pragma once

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <array>
#include <memory>
#include <vector>

#include "app/CMainWnd.h"
#include "app/DevicePageSet.h"
#include "devices/CVarnisKeyboardDevice.h"
#include "lighting/LightInfoWords.h"
#include "profiles/JsonFile.h"
#include "sim/DeviceSimulator.h"
#include "support/EventLoopHelpers.h"
#include "support/MainWindowEnvironment.h"
#include "support/SimulatedMainWindow.h"
#include "toolkit/CComboUI.h"

namespace testing_support {

// The main window on the shipped skin and templates with a simulated
// keyboard, reached through the real HID layer and detection.
class SimulatedKeyboardPage : public testing_support::SimulatedMainWindow {
 protected:
  // Starts the window and waits for the keyboard's first contact.
  void Start(const char* connection = "keyboard") {
    if (!simulator_->NodeOf(connection)) {
      ASSERT_TRUE(simulator_->Plug(connection));
    }
    window_ = std::make_unique<CMainWnd>();
    ASSERT_TRUE(testing_support::MainWindowEnvironment::Create(*window_));
    ASSERT_TRUE(testing_support::RunUntil([&] {
      keyboard_ = Keyboard();
      return keyboard_ != nullptr && keyboard_->SlotCount() != 0 && !keyboard_->KeyList().empty();
    })) << "the keyboard was never read";
    window_->Pages().ShowDevicePage(DevicePageSet::Keyboard, true, true);
    ASSERT_EQ(window_->CurrentDevice(), keyboard_);
  }
  // Runs the event loop until every exchange the keyboard queued is done
  // and its completion has run.
  void Settle() {
    // Notifications of a click are posted: handled first.
    testing_support::RunFor(10);
    ASSERT_TRUE(testing_support::RunUntil([&] { return keyboard_->Core().IsIdle(); }))
        << "the keyboard's worker never finished";
  }
  // The page's lighting record.
  LightInfo Light() { return FromLightWords(keyboard_->GetLightInfo()); }
  // Picks lighting mode `position` in the panel's list, as the user does.
  void SelectMode(int position) {
    auto* combo = Control<toolkit::CComboUI>("light_combo_modeSelect");
    ASSERT_NE(combo, nullptr);
    combo->SelectItem(position, false, true);
    Settle();
    ASSERT_EQ(Light().SelectItem, position);
  }
  // Reads the active block as the page does, waiting for the answer.
  bool ReadBlock() {
    bool done = false, read = false;
    if (!keyboard_->ReadParameterBlock([&](bool ok) {
          read = ok;
          done = true;
        }))
      return false;
    EXPECT_TRUE(testing_support::RunUntil([&] { return done; }));
    return read;
  }
  CVarnisKeyboardDevice* Keyboard() {
    const auto& list = window_->Pages().Devices(DevicePageSet::Keyboard);
    return list.empty() ? nullptr : qobject_cast<CVarnisKeyboardDevice*>(list.front());
  }
  sim::FirmwareModel& Firmware() { return simulator_->Firmware(sim::DeviceKind::Keyboard); }
  std::vector<uint8_t> Memory(const char* region) { return *Firmware().Region(region); }
  std::vector<uint8_t> Block(int profile = 0) {
    const auto memory = Memory("parameters");
    return {memory.begin() + profile * 40, memory.begin() + profile * 40 + 39};
  }
  int CommandCount(uint8_t command) {
    int count = 0;
    for (const auto& entry : Firmware().Log())
      count += entry.toDevice && entry.report[3] == command ? 1 : 0;
    return count;
  }
  std::array<uint8_t, 3> SlotEntry(const char* region, int slot) {
    const auto memory = Memory(region);
    return {memory[slot * 3], memory[slot * 3 + 1], memory[slot * 3 + 2]};
  }
  Json::Value ProfileSection() {
    JsonFile file;
    return file.ReadJson(keyboard_->ProfilePath())["Device"][0];
  }
  template <typename T>
  T* Control(const char* name) {
    auto* control = keyboard_->findChild<T*>(name);
    EXPECT_NE(control, nullptr) << name;
    return control;
  }
  void WriteMacroList(int count) {
    Json::Value list;
    for (int i = 0; i < count; ++i) {
      list["MacroInfo"][i]["MacroName"] = "macro " + std::to_string(i);
      list["MacroInfo"][i]["Guid"] = "2026_01_01_00_00_00_00" + std::to_string(i);
    }
    JsonFile file;
    ASSERT_EQ(file.WriteJson(keyboard_->DeviceFolder() + "macro.config", list), 0);
  }

  CVarnisKeyboardDevice* keyboard_ = nullptr;
};

}  // namespace testing_support
