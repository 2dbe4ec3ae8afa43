#pragma once

#include <gtest/gtest.h>

#include <QImage>
#include <QPushButton>
#include <QTest>
#include <memory>
#include <vector>

#include "toolkit/CContainerUI.h"
#include "toolkit/CControlFactory.h"
#include "toolkit/CControlUI.h"
#include "toolkit/CDialogBuilder.h"
#include "toolkit/CPaintManagerUI.h"
#include "toolkit/CResourceManager.h"
#include "ui/UiControls.h"

namespace ui_testing {

// Builds a layout of the program's own controls as a window of its own, with
// a paint manager that records every notification as "type:sender".
class UiControlTest : public ::testing::Test, public toolkit::INotifyUI {
 protected:
  void SetUp() override {
    toolkit::CPaintManagerUI::SetResourcePath(TRAVIX_TEST_DATA_DIR "/ui");
    toolkit::CResourceManager::GetInstance()->Release();
    RegisterUiControls();
    pm.AddNotifier(this);
  }
  void TearDown() override {
    root.reset();
    toolkit::CControlFactory::GetInstance()->Clear();
  }

  void Notify(toolkit::TNotifyUI& msg) override {
    seen.push_back(msg.sType + ":" + (msg.pSender != nullptr ? msg.pSender->GetName() : QString()));
  }

  // The layout's root, attached to the manager and shown at `size`.
  template <typename T = toolkit::CControlUI>
  T* Build(const QString& xml, QSize size) {
    toolkit::CDialogBuilder builder;
    root.reset(builder.Create(xml, {}, nullptr, &pm));
    EXPECT_TRUE(builder.Errors().isEmpty()) << builder.Errors().join("\n").toStdString();
    if (root == nullptr)
      return nullptr;
    pm.AttachDialog(root.get());
    root->resize(size);
    root->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(root.get()));
    seen.clear();
    return qobject_cast<T*>(root.get());
  }

  template <typename T>
  T* Find(const char* name) {
    auto* control = qobject_cast<T*>(pm.FindControl(name));
    EXPECT_NE(control, nullptr) << name;
    return control;
  }

  // The widget that takes a button's mouse events.
  static QWidget* Inner(QWidget* control) { return control->findChild<QPushButton*>(); }

  static QColor PixelAt(QWidget* widget, QPoint at) {
    return widget->grab().toImage().pixelColor(at);
  }

  toolkit::CPaintManagerUI pm;
  std::vector<QString> seen;
  std::unique_ptr<toolkit::CControlUI> root;
};

using Seen = std::vector<QString>;

}  // namespace ui_testing
