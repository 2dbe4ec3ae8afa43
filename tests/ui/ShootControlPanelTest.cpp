// The recoil panel built from the shipped skin over a mouse folder of its
// own, with the shipped factory patterns: the gun files it sets up, what it
// writes for an edited bullet, its selection of guns and bullets, the edits'
// values it takes, and the texts it shows.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/CControlFactory.h"
#include "toolkit/CDialogBuilder.h"
#include "toolkit/CEditUI.h"
#include "toolkit/COptionUI.h"
#include "toolkit/CPaintManagerUI.h"
#include "toolkit/CResourceManager.h"
#include "toolkit/CTabLayoutUI.h"
#include "toolkit/CVerticalLayoutUI.h"
#include "ui/CShootControlUI.h"
#include "ui/UiControls.h"
#include "ShippedPanelFixture.h"

using namespace toolkit;
using ImportResult = recoil::RecoilPatternFiles::ImportResult;

namespace {

const char kPanelFile[] = "XML\\CustomControlXML\\ShootControl.xml";
const QString kFactoryFolder = QStringLiteral(TRAVIX_SOURCE_DIR "/DefaultData/");

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WriteAll(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QJsonObject ReadDocument(const QString& path) { return QJsonDocument::fromJson(ReadAll(path)).object(); }

QJsonArray Events(const QString& path) { return ReadDocument(path).value("Events").toArray(); }

// One event as "Action/Button/Delay/Type"; the numbers must be integers.
std::string Event(const QJsonValue& value) {
  const QJsonObject event = value.toObject();
  auto number = [&](const char* key) -> std::string {
    const QJsonValue v = event.value(QLatin1String(key));
    if (!v.isDouble() || v.toDouble() != static_cast<double>(v.toInteger()))
      return "?";
    return std::to_string(v.toInteger());
  };
  return event.value("Action").toString().toStdString() + "/" + number("Button") + "/" +
         number("Delay") + "/" + number("Type");
}

std::vector<std::string> BulletEvents(const QString& path, int bullet) {
  const QJsonArray events = Events(path);
  std::vector<std::string> out;
  for (int i = 6 * bullet; i < 6 * bullet + 6 && i < events.size(); ++i)
    out.push_back(Event(events[i]));
  return out;
}

class ShootPanel : public testing_support::ShippedPanelTest<CShootControlUI> {
 protected:
  ShootPanel() : ShippedPanelTest(kPanelFile) {}

  void SetUp() override {
    ASSERT_TRUE(folder_.isValid());
    deviceFolder_ = folder_.path() + "/mouse/";
    ASSERT_TRUE(QDir().mkpath(deviceFolder_));
    ShippedPanelTest::SetUp();
  }
  void Notify(TNotifyUI& msg) override { seen_.push_back(msg.sType + ":" + msg.pSender->GetName()); }

  void Init() { panel_->InitRecoilPanel(deviceFolder_, kFactoryFolder); }

  template <typename T = CControlUI>
  T* Named(const QString& name, CShootControlUI* panel = nullptr) {
    T* control = (panel != nullptr ? panel : panel_)->findChild<T*>(name);
    EXPECT_NE(control, nullptr) << name.toStdString();
    return control;
  }
  CEditUI* Edit(const char* name) { return Named<CEditUI>(QLatin1String(name)); }
  COptionUI* Option(const char* name) { return Named<COptionUI>(QLatin1String(name)); }

  // The indexes of the selected options named prefix + 0 ... count - 1.
  std::vector<int> SelectedOf(const char* prefix, int count, CShootControlUI* panel = nullptr) {
    std::vector<int> selected;
    for (int i = 0; i < count; ++i)
      if (Named<COptionUI>(QLatin1String(prefix) + QString::number(i), panel)->IsSelected())
        selected.push_back(i);
    return selected;
  }

  QString GunFile(int gun) const { return deviceFolder_ + QStringLiteral("ShootData_%1.Shoot").arg(gun); }
  static QString FactoryFile(int gun) { return kFactoryFolder + QStringLiteral("ShootData_%1.Shoot").arg(gun); }

  // What the editor shows, as the events 6b+2 and 6b+3 the file should hold
  // for it ("Action/Button/Delay/Type").
  std::vector<std::string> ShownMoves() {
    const std::string x = Option("bullet_x_check")->IsSelected() ? "down" : "up";
    const std::string y = Option("bullet_y_check")->IsSelected() ? "down" : "up";
    return {x + "/" + Edit("bullet_x_eidt")->GetText().toStdString() + "/5/4",
            y + "/" + Edit("bullet_y_eidt")->GetText().toStdString() + "/" +
                Edit("bullet_delay_eidt")->GetText().toStdString() + "/5"};
  }
  std::vector<std::string> FileMoves(int gun, int bullet) {
    const std::vector<std::string> events = BulletEvents(GunFile(gun), bullet);
    if (events.size() != 6)
      return {};
    return {events[2], events[3]};
  }

  QTemporaryDir folder_;
  QString deviceFolder_;
};

}  // namespace

TEST_F(ShootPanel, BeforeInitNothingIsSelectedAndNothingIsTouched) {
  EXPECT_EQ(panel_->SelectedBullet(), -1);
  EXPECT_EQ(panel_->SelectedGun(), 0);
  EXPECT_TRUE(panel_->Files().GunFile(0).isEmpty()) << "no folder yet";
  EXPECT_FALSE(Named("bullet_edit_layout")->IsEnabled()) << "no bullet to edit";
  for (const char* name : {"bullet_x_eidt", "bullet_y_eidt", "bullet_delay_eidt"})
    Edit(name)->SetText("7");
  panel_->LoadBullet();
  EXPECT_EQ(Edit("bullet_x_eidt")->GetText(), "7");
  EXPECT_FALSE(panel_->SaveBullet());
  EXPECT_FALSE(panel_->ResetGun());
  EXPECT_EQ(panel_->ImportGun(FactoryFile(0)), ImportResult::WriteFailed);
  EXPECT_FALSE(panel_->ExportGun(folder_.path() + "/out.shoot"));
  EXPECT_FALSE(QFile::exists(folder_.path() + "/out.shoot"));
  EXPECT_TRUE(QDir(deviceFolder_).isEmpty()) << "no file before the panel knows its folders";
}

TEST_F(ShootPanel, InitSetsUpEveryGunFileAndShowsBulletOneOfGunOne) {
  for (int gun = 0; gun < 4; ++gun)
    ASSERT_EQ(Events(FactoryFile(gun)).size(), 180) << "shipped factory pattern " << gun;
  // Gun 1 has a file the user edited, gun 3 a damaged one, 0 and 2 none.
  QJsonObject edited = ReadDocument(FactoryFile(1));
  QJsonArray events = edited.value("Events").toArray();
  QJsonObject move = events[2].toObject();
  move["Button"] = 77;
  events[2] = move;
  edited["Events"] = events;
  ASSERT_TRUE(WriteAll(GunFile(1), QJsonDocument(edited).toJson()));
  ASSERT_TRUE(WriteAll(GunFile(3), "{ \"Events\": [ 1, 2"));

  Init();
  EXPECT_TRUE(panel_->AllControlsFound());
  EXPECT_EQ(panel_->Files().GunFile(3), GunFile(3));
  for (int gun : {0, 2, 3}) {
    SCOPED_TRACE(gun);
    EXPECT_EQ(Events(GunFile(gun)), Events(FactoryFile(gun)));
  }
  EXPECT_EQ(Events(GunFile(1))[2].toObject().value("Button").toInt(), 77)
      << "the user's own pattern stays";

  EXPECT_EQ(panel_->SelectedGun(), 0);
  EXPECT_EQ(panel_->SelectedBullet(), 0);
  EXPECT_EQ(SelectedOf("shoot_gun_op_", 4), std::vector<int>{0});
  EXPECT_EQ(SelectedOf("bullet_op_", 30), std::vector<int>{0});
  EXPECT_EQ(Named("bullet_select_index")->GetText(), "1");
  EXPECT_TRUE(Named("bullet_edit_layout")->IsEnabled());
  EXPECT_EQ(ShownMoves(), FileMoves(0, 0));
  EXPECT_TRUE(seen_.empty()) << "showing is no user change";
}

TEST_F(ShootPanel, AnEditedBulletIsWrittenAsItsSixEventsAndNothingElse) {
  Init();
  panel_->SelectGun(1);
  panel_->SelectBullet(2);
  const QJsonObject before = ReadDocument(GunFile(1));
  const QByteArray otherGun = ReadAll(GunFile(2));

  // 3 to the left, 12 downwards, then a wait of 90 ms.
  Edit("bullet_x_eidt")->SetText("3");
  Edit("bullet_y_eidt")->SetText("12");
  Edit("bullet_delay_eidt")->SetText("90");
  Option("bullet_x_check")->Selected(true, false);
  Option("bullet_y_check")->Selected(false, false);
  ASSERT_TRUE(panel_->SaveBullet());

  const QJsonObject after = ReadDocument(GunFile(1));
  EXPECT_EQ(BulletEvents(GunFile(1), 2),
            (std::vector<std::string>{"down/1/10/1", "up/1/0/1", "down/3/5/4", "up/12/90/5",
                                      "down/0/0/4", "up/0/0/5"}));
  const QJsonArray was = before.value("Events").toArray();
  const QJsonArray now = after.value("Events").toArray();
  ASSERT_EQ(now.size(), was.size());
  for (int i = 0; i < now.size(); ++i) {
    if (i < 12 || i > 17) {
      EXPECT_EQ(now[i], was[i]) << "event " << i;
    }
  }
  for (const QString& key : before.keys()) {
    if (key != "Events") {
      EXPECT_EQ(after.value(key), before.value(key)) << key.toStdString();
    }
  }
  EXPECT_EQ(ReadAll(GunFile(2)), otherGun);

  // Both directions turned round by their options, as the user clicks them.
  ASSERT_TRUE(Option("bullet_x_check")->Activate());
  panel_->OnDirectionToggled("bullet_x_check");
  ASSERT_TRUE(Option("bullet_y_check")->Activate());
  panel_->OnDirectionToggled("bullet_y_check");
  ASSERT_TRUE(panel_->SaveBullet());
  EXPECT_EQ(BulletEvents(GunFile(1), 2),
            (std::vector<std::string>{"down/1/10/1", "up/1/0/1", "up/3/5/4", "down/12/90/5",
                                      "up/0/0/4", "down/0/0/5"}));

  // Shown again as written, from another gun and back.
  panel_->SelectGun(0);
  panel_->SelectGun(1);
  EXPECT_EQ(panel_->SelectedBullet(), 2);
  EXPECT_FALSE(Option("bullet_x_check")->IsSelected());
  EXPECT_TRUE(Option("bullet_y_check")->IsSelected());
  EXPECT_EQ(Edit("bullet_x_eidt")->GetText(), "3");
  EXPECT_EQ(Edit("bullet_y_eidt")->GetText(), "12");
  EXPECT_EQ(Edit("bullet_delay_eidt")->GetText(), "90");
}

TEST_F(ShootPanel, ATurnedDirectionOnlyRenamesItsOptionUntilSaved) {
  Init();
  panel_->SelectGun(2);
  panel_->SelectBullet(4);
  auto* texts = CResourceManager::GetInstance();
  const QByteArray file = ReadAll(GunFile(2));
  for (const char* name : {"bullet_x_check", "bullet_y_check"}) {
    SCOPED_TRACE(name);
    COptionUI* option = Option(name);
    const bool wasSelected = option->IsSelected();
    const QString wasText = option->GetText();
    ASSERT_TRUE(option->Activate());
    ASSERT_NE(option->IsSelected(), wasSelected) << "a direction option toggles on its own";
    panel_->OnDirectionToggled(QLatin1String(name));
    EXPECT_NE(option->GetText(), wasText);
  }
  EXPECT_EQ(Option("bullet_x_check")->GetText(),
            texts->GetText(Option("bullet_x_check")->IsSelected() ? "mouse_move_to_left_text"
                                                                  : "mouse_move_to_right_text"));
  EXPECT_EQ(Option("bullet_y_check")->GetText(),
            texts->GetText(Option("bullet_y_check")->IsSelected() ? "mouse_move_to_up_text"
                                                                  : "mouse_move_to_down_text"));
  EXPECT_EQ(ReadAll(GunFile(2)), file) << "the file waits for the next save";
  panel_->OnDirectionToggled("bullet_op_3");
  EXPECT_EQ(ReadAll(GunFile(2)), file);

  // Leaving the bullet unsaved forgets the turn.
  panel_->SelectBullet(4);
  EXPECT_EQ(ShownMoves(), FileMoves(2, 4));
}

TEST_F(ShootPanel, BulletSelectionStaysWithinOneToThirty) {
  Init();
  enum class Go { To, Previous, Next };
  const struct {
    Go go;
    int n;
    int expected;
  } kSteps[] = {
      {Go::Previous, 0, 0}, {Go::To, 29, 29}, {Go::Next, 0, 29}, {Go::Previous, 0, 28},
      {Go::Next, 0, 29},    {Go::To, -5, 0},  {Go::Next, 0, 1},  {Go::To, 99, 29},
      {Go::To, 9, 9},
  };
  for (const auto& step : kSteps) {
    if (step.go == Go::To)
      panel_->SelectBullet(step.n);
    else if (step.go == Go::Previous)
      panel_->SelectPrevious();
    else
      panel_->SelectNext();
    SCOPED_TRACE(step.expected);
    EXPECT_EQ(panel_->SelectedBullet(), step.expected);
    EXPECT_EQ(SelectedOf("bullet_op_", 30), std::vector<int>{step.expected});
    EXPECT_EQ(Named("bullet_select_index")->GetText(), QString::number(step.expected + 1));
    EXPECT_EQ(ShownMoves(), FileMoves(0, step.expected));
  }
  EXPECT_TRUE(seen_.empty());
}

TEST_F(ShootPanel, SelectingAGunShowsItsPictureAndItsPattern) {
  Init();
  panel_->SelectBullet(7);
  auto* pictures = Named<CTabLayoutUI>("shoot_image_display_switch");
  ASSERT_EQ(pictures->GetCount(), 4);
  for (int gun : {2, 0, 3, 1}) {
    SCOPED_TRACE(gun);
    panel_->SelectGun(gun);
    EXPECT_EQ(panel_->SelectedGun(), gun);
    EXPECT_EQ(pictures->GetCurSel(), gun);
    EXPECT_EQ(SelectedOf("shoot_gun_op_", 4), std::vector<int>{gun});
    EXPECT_EQ(panel_->SelectedBullet(), 7) << "the bullet stays";
    EXPECT_EQ(ShownMoves(), FileMoves(gun, 7));
    // The page shows that gun's picture, which the skin has.
    const QString image = pictures->GetItemAt(gun)->GetBkImage();
    EXPECT_EQ(image, QStringLiteral("mouse/gun_%1.png").arg(gun + 1));
    EXPECT_TRUE(QFile::exists(QStringLiteral(TRAVIX_SOURCE_DIR "/skin/") + image));
  }
  panel_->SelectGun(9);
  EXPECT_EQ(panel_->SelectedGun(), 3);
  EXPECT_EQ(pictures->GetCurSel(), 3);
  panel_->SelectGun(-1);
  EXPECT_EQ(panel_->SelectedGun(), 0);
  EXPECT_EQ(SelectedOf("shoot_gun_op_", 4), std::vector<int>{0});
  QCoreApplication::processEvents();
  EXPECT_TRUE(seen_.empty()) << "a selection made by the program raises nothing";
}

TEST_F(ShootPanel, EditTextIsTakenAsANumberInRangeAndShownSo) {
  Init();
  panel_->SelectGun(3);
  panel_->SelectBullet(29);
  const struct {
    const char* x;
    const char* y;
    const char* delay;
    const char* shownX;
    const char* shownY;
    const char* shownDelay;
  } kCases[] = {
      {"300", "abc", "99999", "255", "0", "65535"},
      {"255", "0", "65535", "255", "0", "65535"},
      {"", "12abc", "70000", "0", "12", "65535"},
      {"007", "-5", "0", "7", "0", "0"},
      {"999", " 42", "00090", "255", "42", "90"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(std::string(c.x) + " " + c.y + " " + c.delay);
    Edit("bullet_x_eidt")->SetText(c.x);
    Edit("bullet_y_eidt")->SetText(c.y);
    Edit("bullet_delay_eidt")->SetText(c.delay);
    ASSERT_TRUE(panel_->SaveBullet());
    EXPECT_EQ(Edit("bullet_x_eidt")->GetText(), c.shownX);
    EXPECT_EQ(Edit("bullet_y_eidt")->GetText(), c.shownY);
    EXPECT_EQ(Edit("bullet_delay_eidt")->GetText(), c.shownDelay);
    EXPECT_EQ(FileMoves(3, 29), ShownMoves()) << "the file holds what is shown";
  }
  // The edits take digits only, up to 3 for a distance and 5 for the delay.
  EXPECT_EQ(Edit("bullet_x_eidt")->GetMaxChar(), 3);
  EXPECT_EQ(Edit("bullet_y_eidt")->GetMaxChar(), 3);
  EXPECT_EQ(Edit("bullet_delay_eidt")->GetMaxChar(), 5);
}

TEST_F(ShootPanel, ResetImportAndExportActOnTheSelectedGun) {
  Init();
  panel_->SelectGun(2);
  panel_->SelectBullet(0);
  const QByteArray gun1 = ReadAll(GunFile(1));
  Edit("bullet_x_eidt")->SetText("201");
  ASSERT_TRUE(panel_->SaveBullet());

  const QString exported = folder_.path() + "/gun.shoot";
  ASSERT_TRUE(panel_->ExportGun(exported));
  EXPECT_EQ(ReadAll(exported), ReadAll(GunFile(2)));

  ASSERT_TRUE(panel_->ResetGun());
  EXPECT_EQ(ReadAll(GunFile(2)), ReadAll(FactoryFile(2)));
  EXPECT_EQ(ShownMoves(), FileMoves(2, 0)) << "the bullet shown again";
  EXPECT_NE(Edit("bullet_x_eidt")->GetText(), "201");

  EXPECT_EQ(panel_->ImportGun(exported), ImportResult::Imported);
  EXPECT_EQ(ReadAll(GunFile(2)), ReadAll(exported));
  EXPECT_EQ(Edit("bullet_x_eidt")->GetText(), "201");

  const QString notAPattern = folder_.path() + "/notes.shoot";
  ASSERT_TRUE(WriteAll(notAPattern, "{\"Macros\": []}"));
  EXPECT_EQ(panel_->ImportGun(notAPattern), ImportResult::NotAPattern);
  EXPECT_EQ(panel_->ImportGun(folder_.path() + "/missing.shoot"), ImportResult::Unreadable);
  EXPECT_EQ(ReadAll(GunFile(2)), ReadAll(exported));
  EXPECT_EQ(Edit("bullet_x_eidt")->GetText(), "201");
  EXPECT_EQ(ReadAll(GunFile(1)), gun1) << "another gun's file";
}

TEST_F(ShootPanel, TwoPanelsInOneWindowKeepTheirOwnChoices) {
  CShootControlUI* other = AddPanel();
  ASSERT_NE(other, nullptr);
  Init();
  QTemporaryDir otherFolder;
  other->InitRecoilPanel(otherFolder.path() + "/", kFactoryFolder);
  ASSERT_TRUE(Named<COptionUI>("bullet_op_5", other)->Activate());
  ASSERT_TRUE(Named<COptionUI>("shoot_gun_op_2", other)->Activate());
  EXPECT_EQ(SelectedOf("bullet_op_", 30, other), std::vector<int>{5});
  EXPECT_EQ(SelectedOf("shoot_gun_op_", 4, other), std::vector<int>{2});
  EXPECT_EQ(SelectedOf("bullet_op_", 30), std::vector<int>{0});
  EXPECT_EQ(SelectedOf("shoot_gun_op_", 4), std::vector<int>{0});
  // Their clicks are the page's to route: each arrives once, by its name.
  EXPECT_EQ(seen_, (std::vector<QString>{"click:bullet_op_5", "selectchanged:bullet_op_5",
                                         "click:shoot_gun_op_2", "selectchanged:shoot_gun_op_2"}));
}

TEST_F(ShootPanel, EveryTextIsALanguageTextInEveryLanguage) {
  Init();
  const QRegularExpression idLike(QStringLiteral("^[A-Za-z0-9]+(_[A-Za-z0-9]+)+$"));
  auto* texts = CResourceManager::GetInstance();
  for (const char* language : {"lan_en.xml", "lan_cn.xml", "lan_tc.xml", "lan_th.xml"}) {
    SCOPED_TRACE(language);
    ASSERT_TRUE(texts->LoadLanguage(language));
    // Both names of both directions.
    for (bool selected : {false, true}) {
      Option("bullet_x_check")->Selected(selected, false);
      Option("bullet_y_check")->Selected(selected, false);
      panel_->OnDirectionToggled("bullet_x_check");
      panel_->OnDirectionToggled("bullet_y_check");
      for (auto* control : panel_->findChildren<CControlUI*>()) {
        const std::string name = control->GetName().toStdString();
        if (!control->GetText().isEmpty()) {
          EXPECT_FALSE(idLike.match(control->GetText()).hasMatch())
              << name << ": " << control->GetText().toStdString();
        }
        if (!control->GetToolTip().isEmpty()) {
          EXPECT_FALSE(idLike.match(control->GetToolTip()).hasMatch())
              << name << ": " << control->GetToolTip().toStdString();
        }
      }
    }
  }
  EXPECT_EQ(Named("shoot_gun_op_0")->GetText(), texts->GetText("shoot_gun_1_text"));
  EXPECT_NE(Option("bullet_x_check")->GetText(), Option("bullet_y_check")->GetText());
}

TEST_F(ShootPanel, EverythingFitsTheMousePageColumn) {
  // The column of the mouse page under its tabs: 300 x 399 at 96 DPI.
  host_->resize(300, 399);
  host_->show();
  QCoreApplication::processEvents();
  const QRect area = panel_->rect();
  ASSERT_EQ(area.size(), QSize(300, 399));
  for (auto* control : panel_->findChildren<CControlUI*>()) {
    if (control->GetName().isEmpty() || !control->IsVisible())
      continue;
    SCOPED_TRACE(control->GetName().toStdString());
    const QRect at(control->mapTo(panel_, QPoint(0, 0)), control->size());
    EXPECT_FALSE(at.isEmpty());
    EXPECT_TRUE(area.contains(at)) << at.x() << "," << at.y() << " " << at.width() << "x" << at.height();
  }
}
