#include <gtest/gtest.h>

#include <QMap>
#include <QRegularExpression>

#include "app/LanguageCommands.h"
#include "support/SimulatedKeyboardPage.h"
#include "toolkit/CEditUI.h"
#include "toolkit/CPaintManagerUI.h"
#include <QLineEdit>
#include "toolkit/CResourceManager.h"
#include "ui/CDeviceKeyButtonUI.h"

using namespace toolkit;
using testing_support::RunUntil;

namespace {

constexpr int kPositionA = 64;

class Language : public testing_support::SimulatedKeyboardPage {
 protected:
  LanguageCommands& Commands() { return window_->Language(); }
  int IndexOf(int id) { return Commands().Languages().IndexOfId(id); }
  // The texts shown: every visible control that shows a language text, by
  // its text id, in the main window and the keyboard's page.
  QMap<QString, QString> ShownTexts() {
    QMap<QString, QString> texts;
    for (CControlUI* control : window_->findChildren<CControlUI*>())
      if (control->IsResourceText() && control->isVisible() && !control->GetRawText().isEmpty())
        texts.insert(control->GetRawText(), control->GetText());
    return texts;
  }
  QString KeyTip(int position) {
    return qobject_cast<CDeviceKeyButtonUI*>(keyboard_->KeyControls()[position])->GetToolTip();
  }
};

}  // namespace

TEST_F(Language, SwitchingChangesEveryTextTheFacesAndTheStore) {
  Start();
  keyboard_->ShowPage(1);
  ASSERT_EQ(Commands().LanguageIndex(), 0) << "the store says Simplified Chinese";
  const QMap<QString, QString> chinese = ShownTexts();
  ASSERT_GT(chinese.size(), 10);
  const QString chineseTip = KeyTip(kPositionA);
  auto* edit = window_->findChild<CEditUI*>();
  ASSERT_NE(edit, nullptr);
  // The edit's own line editor, a live widget that keeps the font it got.
  auto* line = edit->findChild<QLineEdit*>();
  ASSERT_NE(line, nullptr);

  // A message from the settings window with the index of English.
  const int english = IndexOf(520);
  window_->SendMessage(0x0C11, static_cast<platform::WParam>(english), 0);
  EXPECT_EQ(Commands().LanguageIndex(), english);
  const QMap<QString, QString> shown = ShownTexts();
  int changed = 0;
  for (auto it = chinese.begin(); it != chinese.end(); ++it) {
    if (it.value() == it.key())
      continue;  // not a text id of the language files
    // Texts the two languages share (names, numbers) may stay.
    const bool same = it.value() == shown.value(it.key());
    if (!same)
      ++changed;
    EXPECT_FALSE(same && it.value().contains(QRegularExpression("[\\x{4e00}-\\x{9fff}]")))
        << it.key().toStdString() << " still shows " << it.value().toStdString();
  }
  EXPECT_GT(changed, 10);
  EXPECT_NE(KeyTip(kPositionA), chineseTip) << "the key labels follow";
  EXPECT_FALSE(KeyTip(kPositionA).contains(QRegularExpression("[\\x{4e00}-\\x{9fff}]")));
  // The default face on every text, drawn or in a live widget.
  EXPECT_EQ(CPaintManagerUI::GetDefaultFont().families().value(0), "Verdana Unicode MS");
  EXPECT_EQ(CPaintManagerUI::GetFont(4).families().value(0), "Verdana Unicode MS");
  EXPECT_EQ(CPaintManagerUI::GetFont(4).pixelSize(), 12) << "the skin's size stays";
  EXPECT_EQ(line->font().families().value(0), "Verdana Unicode MS");
  EXPECT_EQ(Commands().Store().StoredId(), 520);

  // The same language again changes nothing, not even the store.
  ASSERT_TRUE(Commands().Store().StoreLanguageId(1234));
  const int faces = Commands().FaceChanges();
  Commands().ApplyLanguage(english);
  EXPECT_EQ(Commands().FaceChanges(), faces);
  EXPECT_EQ(Commands().Store().StoredId(), 1234);

  // Thai: its own face and file.
  Commands().ApplyLanguage(IndexOf(1054));
  EXPECT_EQ(Commands().FaceChanges(), faces + 1);
  EXPECT_EQ(line->font().families().value(0), "Noto Sans Thai");
  EXPECT_EQ(CResourceManager::GetInstance()->GetText("setwnd_language"), "ภาษา");
  EXPECT_EQ(Commands().Store().StoredId(), 1054);
}

TEST_F(Language, AnIndexOutsideTheListLoadsNothingAndStoresZero) {
  Start();
  const QString before = CResourceManager::GetInstance()->GetText("setwnd_language");
  Commands().ApplyLanguage(99);
  EXPECT_EQ(Commands().LanguageIndex(), 99);
  EXPECT_EQ(Commands().Store().StoredId(), 0);
  EXPECT_EQ(CResourceManager::GetInstance()->GetText("setwnd_language"), before)
      << "the texts stay those of the last language file";
}
