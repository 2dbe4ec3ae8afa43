#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <vector>

#include "toolkit/CControlUI.h"
#include "toolkit/CLabelUI.h"
#include "toolkit/CPaintManagerUI.h"
#include "toolkit/CResourceManager.h"
#include "toolkit/WindowImplBase.h"

namespace testing_support {

struct SeenNotification {
  QString type;
  QString sender;
  toolkit::WPARAM wParam;
  toolkit::LPARAM lParam;
};

// A window built from the test skin; keeps every notification it receives.
class RecordingWindow : public toolkit::WindowImplBase {
 public:
  explicit RecordingWindow(QString skin = "XML_SAMPLE") : skin_(std::move(skin)) {}
  QString GetWindowClassName() const override { return "RecordingWindow"; }
  QString GetSkinFile() const override { return skin_; }
  void InitWindow() override { initWindowCalls++; }
  void Notify(toolkit::TNotifyUI& msg) override {
    seen.push_back({msg.sType, msg.pSender ? msg.pSender->GetName() : QString(), msg.wParam,
                    msg.lParam});
    if (onNotify)
      onNotify(msg);
    WindowImplBase::Notify(msg);
  }
  toolkit::CControlUI* CreateControl(const QString& tag) override {
    if (tag == "OwnThing")
      return new toolkit::CLabelUI;
    return nullptr;
  }
  toolkit::LRESULT HandleCustomMessage(toolkit::UINT message, toolkit::WPARAM wParam,
                                       toolkit::LPARAM lParam, bool& handled) override {
    messages.push_back({message, wParam, lParam});
    if (onMessage)
      return onMessage(message, wParam, lParam, handled);
    handled = false;
    return 0;
  }

  // The notifications seen so far, without timers, as "type:sender" strings.
  std::vector<QString> Trace(bool withTimers = false) const {
    std::vector<QString> out;
    for (const auto& n : seen)
      if (withTimers || n.type != "timer")
        out.push_back(n.type + ":" + n.sender);
    return out;
  }

  struct Message {
    toolkit::UINT message;
    toolkit::WPARAM wParam;
    toolkit::LPARAM lParam;
  };
  std::vector<SeenNotification> seen;
  std::vector<Message> messages;
  int initWindowCalls = 0;
  std::function<void(toolkit::TNotifyUI&)> onNotify;
  std::function<toolkit::LRESULT(toolkit::UINT, toolkit::WPARAM, toolkit::LPARAM, bool&)> onMessage;

 private:
  QString skin_;
};

// Points the toolkit at the test skin folder.
class SkinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    toolkit::CPaintManagerUI::SetResourcePath(TRAVIX_TEST_DATA_DIR "/toolkit");
    auto* resources = toolkit::CResourceManager::GetInstance();
    resources->Release();
    ASSERT_TRUE(resources->LoadResource("res.xml")) << resources->Errors().join("\n").toStdString();
    ASSERT_TRUE(resources->Errors().isEmpty()) << resources->Errors().join("\n").toStdString();
  }
  void TearDown() override { toolkit::CResourceManager::GetInstance()->Release(); }

  // Creates and initialises a window ("windowinit" delivered).
  std::unique_ptr<RecordingWindow> MakeWindow(const QString& skin = "XML_SAMPLE");
};

}  // namespace testing_support
