#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "app/RecoilCommands.h"
#include "recoil/RecoilPattern.h"
#include "support/SimulatedMousePage.h"
#include "toolkit/CButtonUI.h"
#include "toolkit/CEditUI.h"
#include "toolkit/COptionUI.h"
#include "ui/CShootControlUI.h"

using namespace toolkit;

namespace {

// The recoil patterns on the mouse page, through the main window's routes.
class RecoilPage : public testing_support::SimulatedMousePage {
 protected:
  CShootControlUI* Panel() { return mouse_->RecoilPanel(); }
  void Click(const char* name) {
    auto* button = Control<CButtonUI>(QString::fromLatin1(name));
    ASSERT_NE(button, nullptr);
    Notify(button, "click");
  }
  void Choose(const char* name) {
    auto* option = Control<COptionUI>(QString::fromLatin1(name));
    ASSERT_NE(option, nullptr);
    option->Selected(true, false);
    Notify(option, "selectchanged");
  }
  void Type(const char* edit, const char* text) {
    auto* control = Control<CEditUI>(QString::fromLatin1(edit));
    ASSERT_NE(control, nullptr);
    control->SetText(QString::fromLatin1(text));
    Notify(control, "killfocus");
  }
  QByteArray GunFile(int gun) {
    QFile file(Panel()->Files().GunFile(gun));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }
  Json::Value Event(int gun, int index) {
    return JsonFile().ReadJson(Panel()->Files().GunFile(gun))["Events"][index];
  }
  std::vector<uint8_t> RecoilMemory() { return *Firmware().Region("recoil_memory"); }
};

}  // namespace

// A bullet edited on the page is kept in its gun's file once an edit is
// left, and "Save" sends the four patterns to the mouse in one image.
TEST_F(RecoilPage, AnEditedBulletIsKeptAndTheSaveSendsEveryGun) {
  Start();
  ASSERT_NE(Panel(), nullptr);
  for (int gun = 0; gun < recoil::kGunCount; ++gun)
    EXPECT_TRUE(QFile::exists(Panel()->Files().GunFile(gun))) << "gun " << gun;

  Choose("shoot_gun_op_1");
  Choose("bullet_op_2");
  EXPECT_EQ(Panel()->SelectedGun(), 1);
  EXPECT_EQ(Panel()->SelectedBullet(), 2);
  // 3 to the left, 12 downwards, 90 ms.
  Control<COptionUI>("bullet_x_check")->Selected(true, false);
  Control<COptionUI>("bullet_y_check")->Selected(false, false);
  const QByteArray untouched = GunFile(1);
  Notify(Control<COptionUI>("bullet_x_check"), "selectchanged");
  EXPECT_EQ(GunFile(1), untouched) << "a direction counts once an edit is left";
  Type("bullet_x_eidt", "3");
  Type("bullet_y_eidt", "12");
  Type("bullet_delay_eidt", "90");
  EXPECT_EQ(Event(1, 14)["Action"].asString(), "down");
  EXPECT_EQ(Event(1, 14)["Button"].asInt(), 3);
  EXPECT_EQ(Event(1, 15)["Action"].asString(), "up");
  EXPECT_EQ(Event(1, 15)["Button"].asInt(), 12);
  EXPECT_EQ(Event(1, 15)["Delay"].asInt(), 90);

  // "next" on the last bullet stays there.
  Choose("bullet_op_29");
  Click("bullet_selected_next");
  EXPECT_EQ(Panel()->SelectedBullet(), 29);
  Click("bullet_selected_prev");
  EXPECT_EQ(Panel()->SelectedBullet(), 28);

  Click("shootdate_save_btn");
  const std::vector<uint8_t> memory = RecoilMemory();
  ASSERT_GE(memory.size(), 2920u);
  EXPECT_EQ(memory[0], 0xAA);
  EXPECT_EQ(memory[1], 0x55);
  EXPECT_EQ(memory[2] | memory[3] << 8, 2920);
  EXPECT_EQ(memory[4], 4);
  EXPECT_EQ(std::vector<uint8_t>(memory.begin(), memory.begin() + 2920),
            Panel()->Files().BuildImage());
}

// A gun's pattern goes out to a file and comes back; a file that is no
// pattern is refused and the gun keeps its own.
TEST_F(RecoilPage, ExportResetAndImportKeepTheUsersPattern) {
  Start();
  std::vector<QString> told;
  QString chosen;
  window_->Recoil().SetTeller([&](const QString& id) { told.push_back(id); });
  window_->Recoil().SetFileChooser([&](bool) { return chosen; });
  Choose("shoot_gun_op_2");
  Choose("bullet_op_0");
  Type("bullet_delay_eidt", "77");
  const QByteArray edited = GunFile(2);

  QTemporaryDir folder;
  chosen = folder.filePath("rifle.Shoot");
  QFile existing(chosen);
  ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
  existing.write("an older export");
  existing.close();
  Click("shootdate_export_btn");
  QFile exported(chosen);
  ASSERT_TRUE(exported.open(QIODevice::ReadOnly));
  EXPECT_EQ(exported.readAll(), edited) << "an export replaces the file it is given";

  Click("shootdate_reset_btn");
  QFile factory(Panel()->Files().FactoryFile(2));
  ASSERT_TRUE(factory.open(QIODevice::ReadOnly));
  EXPECT_EQ(GunFile(2), factory.readAll());
  EXPECT_EQ(Control<CEditUI>("bullet_delay_eidt")->GetText(), QString::number(Panel()->Files().ReadBullet(2, 0)->delay));

  Click("shootdate_import_btn");
  EXPECT_EQ(GunFile(2), edited);
  EXPECT_EQ(Control<CEditUI>("bullet_delay_eidt")->GetText(), "77");
  EXPECT_TRUE(told.empty());

  chosen = folder.filePath("broken.Shoot");
  QFile broken(chosen);
  ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
  broken.write("{\"Events\": 5");
  broken.close();
  Click("shootdate_import_btn");
  EXPECT_EQ(GunFile(2), edited);
  EXPECT_EQ(told, std::vector<QString>{RecoilCommands::kImportRefusedText});

  chosen = folder.filePath("missing/none.Shoot");
  Click("shootdate_export_btn");
  EXPECT_EQ(told.back(), RecoilCommands::kExportFailedText);

  // A cancelled dialog does nothing.
  chosen.clear();
  told.clear();
  Click("shootdate_import_btn");
  EXPECT_TRUE(told.empty());
  EXPECT_EQ(GunFile(2), edited);
}

TEST_F(RecoilPage, AWirelessMouseThatIsOffGetsNothingAndNoComplaint) {
  Start("mouse-receiver");
  const std::vector<uint8_t> before = RecoilMemory();
  Firmware().SetWirelessOn(false);
  int result = -1;
  mouse_->DownloadRecoil([&](int sent) { result = sent; });
  Settle();
  EXPECT_EQ(result, 0);
  EXPECT_EQ(RecoilMemory(), before);
  Firmware().SetWirelessOn(true);
  mouse_->DownloadRecoil([&](int sent) { result = sent; });
  Settle();
  EXPECT_EQ(result, 1);
  EXPECT_EQ(RecoilMemory()[0], 0xAA) << "through the receiver, in 56-byte requests";
}
