#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPointer>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

#include "platform/WindowMessageTypes.h"
#include "support/EventLoopHelpers.h"
#include "toolkit/CButtonUI.h"
#include "toolkit/COptionUI.h"
#include "toolkit/CPaintManagerUI.h"
#include "toolkit/CResourceManager.h"
#include "toolkit/CSliderUI.h"
#include "ui/MusicWnd.h"

using namespace toolkit;

namespace {

// Group 2 in use; group 1's name left empty.
constexpr const char* kStyleFile = R"({"AudioLightInfo": {"nAudioStyle": 2,
    "nStyleName1": "Chill", "nStyleName2": "", "nStyleName3": "摇滚", "nStyleName4": "Dance",
    "nStyleR0": 10, "nStyleG0": 20, "nStyleB0": 30, "nStyleR1": 40, "nStyleG1": 50, "nStyleB1": 60,
    "nStyleR2": 200, "nStyleG2": 0, "nStyleB2": 255, "nStyleR3": 1, "nStyleG3": 2, "nStyleB3": 3},
  "kept": true})";

class OwnerWindow : public CWindowWnd {
 public:
  QString GetWindowClassName() const override { return QStringLiteral("OwnerWindow"); }
};

class MusicDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    CPaintManagerUI::SetResourcePath(TRAVIX_SOURCE_DIR "/skin");
    CResourceManager::GetInstance()->Release();
    ASSERT_TRUE(CResourceManager::GetInstance()->LoadResource("res.xml"));
    ASSERT_TRUE(CResourceManager::GetInstance()->LoadLanguage("lan_en.xml"));
    QFile file(Path());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(kStyleFile);
  }
  void TearDown() override {
    delete dialog_.data();
    CResourceManager::GetInstance()->Release();
    testing_support::RunFor(5);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  QString Path() const { return dir_.path() + "/AudioFile.json"; }
  QByteArray ReadFile() const {
    QFile file(Path());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }
  // A dialog of the style file, shown (not modal).
  void Open() {
    dialog_ = new MusicWnd(Path());
    ASSERT_TRUE(dialog_->Create(nullptr, "MusicWnd", WS_POPUP, 0, 0, 0, MusicWnd::kWidth,
                                MusicWnd::kHeight));
    EXPECT_TRUE(dialog_->SkinErrors().isEmpty()) << dialog_->SkinErrors().join("\n").toStdString();
    dialog_->ShowWindow();
  }

  template <typename T = CControlUI>
  static T* Find(MusicWnd* dialog, const QString& name) {
    auto* control = qobject_cast<T*>(dialog->FindControl(name));
    EXPECT_NE(control, nullptr) << name.toStdString();
    return control;
  }
  QString Shown(const QString& name) { return Find(dialog_, name)->GetText(); }
  MusicGroupColour Sliders() {
    const auto value = [this](const char* name) {
      return static_cast<uint8_t>(Find<CSliderUI>(dialog_, name)->GetValue());
    };
    return {value("audio_r_slider"), value("audio_g_slider"), value("audio_b_slider")};
  }
  QRgb Preview() { return Find(dialog_, "audio_color_preview")->GetBkColor().rgb(); }
  static void Select(MusicWnd* dialog, int tab) {
    Find<COptionUI>(dialog, QString("audio_select_tab%1").arg(tab))->Activate();
  }
  // As the user moves it: by a click or a key, or by dragging the thumb.
  static void Move(MusicWnd* dialog, const char* slider, int value, bool drag = false) {
    auto* inner = Find(dialog, slider)->findChild<QSlider*>();
    inner->setSliderDown(drag);
    drag ? inner->setSliderPosition(value) : inner->setValue(value);
  }
  static QLineEdit* Line(MusicWnd* dialog, int edit) {
    return Find(dialog, QString("audio_edit_name%1").arg(edit))->findChild<QLineEdit*>();
  }
  static void Type(MusicWnd* dialog, int edit, const QString& text) {
    Line(dialog, edit)->selectAll();
    QTest::keyClick(Line(dialog, edit), Qt::Key_Delete);
    QTest::keyClicks(Line(dialog, edit), text);
  }
  static void Click(MusicWnd* dialog, const char* name) {
    Find<CButtonUI>(dialog, name)->Activate();
  }
  // Runs `action` on the dialog Edit shows, once it is up.
  static void WhenShown(std::function<void(MusicWnd*)> action) {
    QTimer::singleShot(0, [action] {
      for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* dialog = qobject_cast<MusicWnd*>(w); dialog != nullptr && dialog->isVisible())
          return action(dialog);
      ADD_FAILURE() << "no music style dialog is shown";
    });
  }

  QTemporaryDir dir_;
  QPointer<MusicWnd> dialog_;
};

}  // namespace

TEST_F(MusicDialog, TabsShowTheFilesGroupsAndSlidersChangeOnlyTheSelectedOne) {
  Open();
  EXPECT_EQ(Shown("music_title_text"), "Music styles");
  for (int n = 1; n <= 4; ++n)
    EXPECT_EQ(Find<COptionUI>(dialog_, QString("audio_select_tab%1").arg(n))->IsSelected(), n == 3)
        << n;
  EXPECT_EQ(Shown("audio_edit_name1"), "Chill");
  EXPECT_EQ(Shown("audio_edit_name2"), "第二组") << "an empty name shows the default";
  EXPECT_EQ(Shown("audio_edit_name3"), "摇滚");
  EXPECT_EQ(Sliders(), (MusicGroupColour{200, 0, 255}));
  EXPECT_EQ(Shown("audio_r_value"), "200");
  EXPECT_EQ(Preview(), qRgb(200, 0, 255));
  MusicStyle expected = MusicStyleFile::Load(Path());
  EXPECT_EQ(dialog_->Style(), expected);

  Select(dialog_, 2);
  EXPECT_EQ(Sliders(), (MusicGroupColour{40, 50, 60})) << "a tab shows its group's colour";
  Move(dialog_, "audio_g_slider", 222);
  EXPECT_EQ(Shown("audio_g_value"), "222");
  Move(dialog_, "audio_b_slider", 7, true);
  EXPECT_EQ(Preview(), qRgb(40, 222, 7)) << "a drag shows the colour while the thumb moves";
  expected.nAudioStyle = 1;
  expected.colours[1] = {40, 222, 7};
  EXPECT_EQ(dialog_->Style(), expected);

  Select(dialog_, 4);
  EXPECT_EQ(Sliders(), (MusicGroupColour{1, 2, 3}));
  Select(dialog_, 2);
  EXPECT_EQ(Sliders(), (MusicGroupColour{40, 222, 7}));
  EXPECT_EQ(ReadFile(), QByteArray(kStyleFile)) << "nothing is written before OK";
}

TEST_F(MusicDialog, EmptyNamesComeBackAsTheDefaultNames) {
  Open();
  Type(dialog_, 1, "");
  Type(dialog_, 4, "   ");
  Type(dialog_, 3, "Evening");
  EXPECT_EQ(dialog_->Style().names,
            (std::array<QString, 4>{"第一组", "第二组", "Evening", "第四组"}));
  // Leaving an empty field shows the name it stands for.
  QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
  QCoreApplication::sendEvent(Line(dialog_, 1), &out);
  EXPECT_EQ(Shown("audio_edit_name1"), "第一组");
  QTest::keyClick(Line(dialog_, 4), Qt::Key_Return);
  EXPECT_EQ(Shown("audio_edit_name4"), "第四组");
}

TEST_F(MusicDialog, OkWritesTheFileAndCancelWritesNothing) {
  auto* owner = new OwnerWindow;
  ASSERT_TRUE(owner->Create(nullptr, "owner", WS_POPUP, 0, 0, 0, 300, 200));
  bool secondRefused = false;
  int shownWidth = 0;
  WhenShown([&](MusicWnd* dialog) {
    secondRefused = MusicWnd::IsOpen() && !MusicWnd::Edit(nullptr, dialog->FilePath(), 96);
    shownWidth = dialog->width();
    delete owner;  // the caller may go away while the dialog is up
    Select(dialog, 4);
    Move(dialog, "audio_r_slider", 99);
    Type(dialog, 2, "Bass");
    Click(dialog, "okbtn");
  });
  const std::optional<MusicStyle> style = MusicWnd::Edit(owner, Path(), 144);
  EXPECT_TRUE(secondRefused) << "only one music style dialog at a time";
  EXPECT_EQ(shownWidth, MusicWnd::kWidth * 144 / 96);
  EXPECT_FALSE(MusicWnd::IsOpen());
  ASSERT_TRUE(style.has_value());
  EXPECT_EQ(style->nAudioStyle, 3);
  EXPECT_EQ(style->names[1], "Bass");
  EXPECT_EQ(style->colours[3], (MusicGroupColour{99, 2, 3}));
  EXPECT_EQ(MusicStyleFile::Load(Path()), *style);
  EXPECT_TRUE(ReadFile().contains("\"kept\" : true")) << "the rest of the file stays";

  const QByteArray saved = ReadFile();
  const std::function<void(MusicWnd*)> cancels[] = {
      [](MusicWnd* dialog) { Click(dialog, "cancelbtn"); },
      [](MusicWnd* dialog) { Click(dialog, "closebtn"); },
      [](MusicWnd* dialog) {
        dialog->SendMessage(platform::WM_SYSCOMMAND, platform::SC_CLOSE, 0);
      },
  };
  for (const auto& cancel : cancels) {
    WhenShown([cancel](MusicWnd* dialog) {
      Select(dialog, 1);
      Move(dialog, "audio_b_slider", 1);
      Type(dialog, 1, "Gone");
      cancel(dialog);
    });
    EXPECT_FALSE(MusicWnd::Edit(nullptr, Path(), 96).has_value());
    EXPECT_EQ(ReadFile(), saved);
  }
}
