#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "app/DeviceTables.h"
#include "app/LanguageCommands.h"
#include "app/SettingsWindowCommands.h"
#include "app/VersionList.h"
#include "platform/WindowMessages.h"
#include "settings/LastCheckDate.h"
#include "support/SimulatedKeyboardPage.h"
#include "toolkit/CButtonUI.h"
#include "toolkit/CComboUI.h"
#include "ui/CSetWnd.h"
#include "ui/CUpdateInfoListItemUI.h"

using namespace toolkit;
using testing_support::RunFor;
using testing_support::RunUntil;

namespace {

InterfaceRecord KindIdentity(size_t kind) {
  InterfaceRecord record;
  record.VendorId = DeviceTables::Kinds()[kind].VendorId;
  record.ProductId = DeviceTables::Kinds()[kind].ProductId;
  record.DeviceType = DeviceTables::Kinds()[kind].DeviceType;
  return record;
}

VersionList::Selector Attached(size_t kind, uint16_t cable, uint16_t receiver = 0,
                               bool wireless = false, bool shown = true) {
  VersionList::Selector selector;
  selector.HasDevice = true;
  selector.Identity = KindIdentity(kind);
  selector.Open = true;
  selector.Wireless = wireless;
  selector.PageShown = shown;
  selector.CableVersion = cable;
  selector.ReceiverVersion = receiver;
  return selector;
}

}  // namespace

TEST(VersionList, LinesOfTheAttachedDevicesAndTheProgram) {
  // The keyboard by cable with version 0x0101, the mouse through its
  // receiver with its page shown, the pad closed.
  VersionList::Selector pad = Attached(2, 0x0105);
  pad.Open = false;
  const auto entries = VersionList::Build(
      {Attached(0, 0x0111, 0x0222, true, true), Attached(1, 0x0101), pad}, "0.1.0");
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].Version, "V0222") << "the receiver's version";
  EXPECT_EQ(entries[1].Name, QString::fromUtf8(DeviceTables::Updates()[1].Model.data()));
  EXPECT_EQ(entries[1].Version, "V0101");
  EXPECT_EQ(entries[2].Name, "AP");
  EXPECT_EQ(entries[2].Version, "V0.1.0");

  // Through a receiver whose page is hidden: no line; nothing attached and
  // no program version: an empty list.
  EXPECT_TRUE(VersionList::Build({Attached(0, 0x0111, 0x0222, true, false)}, {}).empty());
  EXPECT_TRUE(VersionList::Build({VersionList::Selector{}, VersionList::Selector{}}, {}).empty());
  // A fourth kind (the headset) never takes the program's line.
  const auto withHeadset = VersionList::Build({Attached(3, 0x0100)}, {});
  EXPECT_TRUE(withHeadset.empty());
  EXPECT_EQ(VersionList::VersionNumber("1.0.1"), 101);
  EXPECT_EQ(VersionList::VersionNumber(""), 0);
}

TEST(LastCheckDate, WrittenOnceAndKeptAfterwards) {
  QTemporaryDir dir;
  const QString path = dir.path() + "/updatetime.config";
  EXPECT_EQ(LastCheckDate::Ensure(path, QDate(2024, 3, 5)), "2024-3-5");
  EXPECT_EQ(LastCheckDate::Ensure(path, QDate(2025, 12, 24)), "2024-3-5") << "kept";
  // A member that is no object (once a crash at start) is replaced too.
  for (const QByteArray& broken : {QByteArray("{not json"), QByteArray(R"({"updatelasttime": {"value": null}})"),
                                   QByteArray("[]"), QByteArray(R"({"updatelasttime": 1})"),
                                   QByteArray(R"({"updatelasttime": [{"value": "2020-1-1"}]})")}) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(broken);
    file.close();
    EXPECT_EQ(LastCheckDate::Ensure(path, QDate(2024, 11, 30)), "2024-11-30") << broken.constData();
    EXPECT_EQ(LastCheckDate::Ensure(path, QDate(2025, 1, 1)), "2024-11-30");
  }
}

namespace {

class SettingsWindow : public testing_support::SimulatedKeyboardPage {
 protected:
  // Clicks "setbtn" and runs `inside` while the modal window is shown.
  void WithWindowOpen(const std::function<void(CSetWnd&)>& inside) {
    bool ran = false;
    window_->Settings().SetClock([] { return QDate(2024, 3, 5); });
    window_->Settings().SetShownListener([&](CSetWnd& settings) {
      ASSERT_TRUE(RunUntil([&] { return !settings.Items().empty() || ran; }));
      inside(settings);
      ran = true;
      if (!settings.IsDestroying())
        settings.Close(IDCANCEL);
    });
    auto* button = qobject_cast<CButtonUI*>(window_->FindControl("setbtn"));
    ASSERT_NE(button, nullptr);
    button->Activate();
    ASSERT_TRUE(RunUntil([&] { return ran && !window_->Settings().IsOpen(); }));
  }
};

}  // namespace

TEST_F(SettingsWindow, ListsTheKeyboardAndTheProgramAndWritesTheDate) {
  Start();
  WithWindowOpen([&](CSetWnd& settings) {
    EXPECT_EQ(settings.Dpi(), window_->DialogDpi());
    ASSERT_EQ(settings.Items().size(), 2u);
    EXPECT_EQ(settings.Items()[0]->Sub("OldRev")->GetText(), "V0103") << "the simulator's bcdDevice";
    EXPECT_EQ(settings.Items()[1]->Sub("check_name_select")->GetText(), "AP");
    EXPECT_FALSE(settings.Items()[0]->Sub("check_name_select")->IsEnabled());
    EXPECT_EQ(settings.LastCheck(), "2024-3-5");
    // A second click opens nothing more.
    static_cast<CButtonUI*>(window_->FindControl("setbtn"))->Activate();
    RunFor(50);
    EXPECT_EQ(window_->Settings().Window(), &settings);
  });
  EXPECT_TRUE(QFile::exists(platform::DataFolders::UserDataDir() + "updatetime.config"));
}

TEST_F(SettingsWindow, TheLanguageListSwitchesTheProgramAndTheSystemCloseOnlyTheWindow) {
  Start();
  const int english = window_->Language().Languages().IndexOfId(520);
  WithWindowOpen([&](CSetWnd& settings) {
    auto* combo = qobject_cast<CComboUI*>(settings.FindControl("Language_combox_info"));
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->GetCount(), window_->Language().Languages().Count());
    EXPECT_EQ(combo->GetCurSel(), 0);
    combo->SelectItem(english);
    ASSERT_TRUE(RunUntil([&] { return window_->Language().LanguageIndex() == english; }));
    EXPECT_EQ(combo->GetItemAt(english)->GetText(), "English");
    settings.SendMessage(platform::WM_SYSCOMMAND, platform::SC_CLOSE, 0);
  });
  EXPECT_FALSE(window_->IsDestroying()) << "the program goes on";
  EXPECT_TRUE(platform::IsWindowAlive(window_->GetHWND()));
}
