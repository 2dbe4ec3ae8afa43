#pragma once

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <memory>

#include "app/CMainWnd.h"
#include "sim/DeviceSimulator.h"
#include "support/MainWindowEnvironment.h"

namespace testing_support {

// The main window on the shipped skin and templates, finding simulated
// devices through the real HID layer. Tests create `window_` themselves.
class SimulatedMainWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    simulator_ = std::make_unique<sim::DeviceSimulator>(devices_.path().toStdString());
    environment_ = std::make_unique<MainWindowEnvironment>(
        runtime_.path(), QString::fromStdString(simulator_->SysRoot()),
        QString::fromStdString(simulator_->DevRoot()));
    ASSERT_TRUE(environment_->SkinLoaded());
  }
  void TearDown() override {
    window_.reset();
    simulator_.reset();
    environment_.reset();
  }

  QTemporaryDir runtime_, devices_;
  std::unique_ptr<MainWindowEnvironment> environment_;
  std::unique_ptr<sim::DeviceSimulator> simulator_;
  std::unique_ptr<CMainWnd> window_;
};

}  // namespace testing_support
