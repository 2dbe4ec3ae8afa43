#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <memory>
#include <vector>

#include "toolkit/CControlFactory.h"
#include "toolkit/CDialogBuilder.h"
#include "toolkit/CPaintManagerUI.h"
#include "toolkit/CResourceManager.h"
#include "toolkit/CVerticalLayoutUI.h"
#include "ui/UiControls.h"

namespace testing_support {

// A panel built from its layout file in the shipped skin, with the English
// texts, in a window of its own; the test sees its notifications.
template <typename Panel>
class ShippedPanelTest : public ::testing::Test, public toolkit::INotifyUI {
 protected:
  explicit ShippedPanelTest(const char* layoutFile) : layoutFile_(layoutFile) {}

  void SetUp() override {
    toolkit::CPaintManagerUI::SetResourcePath(TRAVIX_SOURCE_DIR "/skin");
    auto* resources = toolkit::CResourceManager::GetInstance();
    resources->Release();
    ASSERT_TRUE(resources->LoadResource("res.xml"));
    ASSERT_TRUE(resources->LoadLanguage("lan_en.xml"));
    RegisterUiControls();
    pm_.AddNotifier(this);
    host_ = std::make_unique<toolkit::CVerticalLayoutUI>();
    panel_ = AddPanel();
    ASSERT_NE(panel_, nullptr);
    pm_.AttachDialog(host_.get());
  }
  void TearDown() override {
    host_.reset();
    toolkit::CResourceManager::GetInstance()->Release();
    toolkit::CControlFactory::GetInstance()->Clear();
  }

  // Another panel in the same window, built as a device page builds its own.
  Panel* AddPanel() {
    toolkit::CDialogBuilder builder;
    auto* panel = qobject_cast<Panel*>(builder.Create(layoutFile_, {}, nullptr, &pm_));
    EXPECT_TRUE(builder.Errors().isEmpty()) << builder.Errors().join("\n").toStdString();
    if (panel != nullptr)
      host_->Add(panel);
    return panel;
  }

  const char* layoutFile_;
  toolkit::CPaintManagerUI pm_;
  std::unique_ptr<toolkit::CVerticalLayoutUI> host_;
  Panel* panel_ = nullptr;
  std::vector<QString> seen_;
};

}  // namespace testing_support
