// The lighting panel built from the shipped skin: showing a record, laying
// itself out for a mode, the same-mode button, colour edits and swatches.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QListView>
#include <QRegularExpression>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/CComboUI.h"
#include "toolkit/CControlFactory.h"
#include "toolkit/CDialogBuilder.h"
#include "toolkit/COptionUI.h"
#include "toolkit/CPaintManagerUI.h"
#include "toolkit/CResourceManager.h"
#include "toolkit/CSliderUI.h"
#include "toolkit/CTabLayoutUI.h"
#include "toolkit/CVerticalLayoutUI.h"
#include "ui/CLightControlUI.h"
#include "ui/UiControls.h"
#include "ShippedPanelFixture.h"

using namespace toolkit;

namespace {

const char kPanelFile[] = "XML\\CustomControlXML\\LightControl.xml";

class LightPanel : public testing_support::ShippedPanelTest<CLightControlUI> {
 protected:
  LightPanel() : ShippedPanelTest(kPanelFile) {}

  void Notify(TNotifyUI& msg) override { seen_.push_back(msg.sType); }

  template <typename T = CControlUI>
  T* Part(const char* name, CLightControlUI* panel = nullptr) {
    T* control = (panel != nullptr ? panel : panel_)->findChild<T*>(QLatin1String(name));
    EXPECT_NE(control, nullptr) << name;
    return control;
  }
  bool Shown(const char* name) { return Part(name)->IsOwnVisible(); }
  bool Enabled(const char* name) { return Part(name)->IsEnabled(); }

  void FillKeyboardModes(const std::vector<bool>& visible = std::vector<bool>(36, true)) {
    std::vector<std::string> names;
    for (int i = 0; i < 36; ++i)
      names.push_back("light_mode_" + std::to_string(i));
    panel_->FillModeList(names, visible, 4, 4);
  }

};

}  // namespace

TEST_F(LightPanel, ModeListHidesInvisibleEntriesButKeepsThemSelectable) {
  std::vector<bool> visible(36);
  for (int i = 0; i < 36; ++i)
    visible[i] = i % 5 != 3;
  panel_->SetDeviceKind(1);
  FillKeyboardModes(visible);
  auto* combo = Part<CComboUI>("light_combo_modeSelect");
  ASSERT_EQ(combo->GetCount(), 36);
  auto* view = qobject_cast<QListView*>(combo->findChild<QComboBox*>()->view());
  ASSERT_NE(view, nullptr);
  for (int i = 0; i < 36; ++i) {
    SCOPED_TRACE(i);
    const QString name = QStringLiteral("light_mode_%1").arg(i);
    CControlUI* item = combo->GetItemAt(i);
    EXPECT_EQ(item->GetRawText(), name);
    EXPECT_EQ(item->GetUserData(), name);
    EXPECT_TRUE(item->IsResourceText());
    EXPECT_EQ(item->GetFixedHeight(), 30);
    EXPECT_EQ(view->isRowHidden(i), !visible[i]);
  }
  panel_->SelectMode(13);
  EXPECT_EQ(panel_->GetMode(), 13) << "a hidden entry stays selectable";

  panel_->FillModeList({"a", "b"}, {true, true}, 3, 2);
  EXPECT_EQ(combo->GetCount(), 2) << "the list is emptied first";
  EXPECT_EQ(Part<CSliderUI>("deng_light_slider")->GetMaxValue(), 3);
  EXPECT_EQ(Part<CSliderUI>("deng_speed_slider")->GetMaxValue(), 2);
}

TEST_F(LightPanel, ShowLightInfoShowsEveryFieldSilently) {
  panel_->SetDeviceKind(1);
  FillKeyboardModes();
  seen_.clear();
  panel_->ShowLightInfo(12u | 3u << 8 | 2u << 16 | 1u << 24, 0u | 10u << 8 | 20u << 16 | 30u << 24,
                        2u << 24);
  QCoreApplication::processEvents();
  EXPECT_TRUE(seen_.empty()) << "showing a record is no user change";
  EXPECT_EQ(panel_->GetMode(), 12);
  EXPECT_EQ(panel_->GetBrightness(), 3);
  EXPECT_EQ(panel_->GetSpeed(), 2);
  EXPECT_EQ(panel_->GetRedText(), "10");
  EXPECT_EQ(panel_->GetGreenText(), "20");
  EXPECT_EQ(panel_->GetBlueText(), "30");
  EXPECT_EQ(panel_->GetColour(), 0xFF0A141Eu);
  EXPECT_EQ(Part("deng_colordp_btn")->GetBkColor(), QColor(10, 20, 30));
  EXPECT_FALSE(panel_->GetMultiColour());
  EXPECT_EQ(panel_->GetSecondZoneMode(), 2);
  auto* first = Part<COptionUI>("deng_FXL_check");
  auto* second = Part<COptionUI>("deng_FXR_check");
  EXPECT_TRUE(first->IsSelected());
  EXPECT_FALSE(second->IsSelected());
  // Mode 12 names the ways bottom-up and top-down, in the loaded language.
  auto* texts = CResourceManager::GetInstance();
  EXPECT_EQ(first->GetRawText(), "light_set_down_to_up_text");
  EXPECT_EQ(second->GetRawText(), "light_set_up_to_down_text");
  EXPECT_EQ(first->GetText(), texts->GetText("light_set_down_to_up_text"));
  EXPECT_NE(first->GetText(), "light_set_down_to_up_text") << "language not loaded";
  EXPECT_FALSE(Enabled("deng_7color_check"));
  EXPECT_TRUE(Enabled("deng_fx_layout"));

  // Multicolour on, second direction; mode 1 restores the usual texts.
  panel_->ShowLightInfo(1u, 1u | 255u << 8, 0u);
  EXPECT_TRUE(panel_->GetMultiColour());
  EXPECT_FALSE(first->IsSelected());
  EXPECT_TRUE(second->IsSelected());
  EXPECT_EQ(panel_->GetColour(), 0xFFFF0000u);
  EXPECT_EQ(panel_->GetSecondZoneMode(), 0);
  EXPECT_EQ(first->GetRawText(), "light_set_right_to_left_text");
  EXPECT_EQ(second->GetRawText(), "light_set_left_to_right_text");
}

TEST_F(LightPanel, LayoutFollowsModeAndKind) {
  // Applied in order: each step also checks what the previous one undid or
  // (pad and headset) left alone. Parts: multicolour, colour, palette,
  // brightness, speed, direction, colour block; '.' not checked.
  const struct {
    int kind, mode;
    const char* enabled;
    bool speedShown, zone, custom, audio;
    int page;
    const char* firstText;
  } kSteps[] = {
      {1, 20, "-yyy--y", false, false, true, false, 0, "light_set_right_to_left_text"},
      {1, 29, "yyyy-yy", false, false, false, true, 1, "light_set_right_to_left_text"},
      {1, 17, "---yy--", false, true, false, false, 0, "light_set_right_to_left_text"},
      {1, 18, "---y-y-", true, false, false, false, 0, "light_set_outside_to_inside_text"},
      {1, 1, "yyyyyyy", true, false, false, false, 0, "light_set_right_to_left_text"},
      {2, 11, "yyyy-y.", false, false, false, true, 1, "light_set_down_to_up_text"},
      {7, 0, "yyyyyy.", false, false, false, true, 1, "light_set_down_to_up_text"},
      {3, 3, "-yyy--.", false, false, false, true, 1, "light_set_down_to_up_text"},
      {2, 3, "-yyy--.", true, false, false, false, 0, "light_set_down_to_up_text"},
      {5, 0, "------.", true, false, false, false, 0, "light_set_down_to_up_text"},
  };
  const char* parts[] = {"deng_7color_check", "deng_color_layout", "colorpallet_layout",
                         "deng_light_layout", "deng_speed_layout", "deng_fx_layout",
                         "light_color_layout"};
  for (const auto& step : kSteps) {
    SCOPED_TRACE("kind " + std::to_string(step.kind) + " mode " + std::to_string(step.mode));
    panel_->UpdateLayout(step.kind, step.mode);
    for (int i = 0; i < 7; ++i) {
      if (step.enabled[i] != '.') {
        EXPECT_EQ(Enabled(parts[i]), step.enabled[i] == 'y') << parts[i];
      }
    }
    EXPECT_TRUE(Enabled("lighteffect_layout"));
    EXPECT_EQ(Shown("deng_speed_layout"), step.speedShown);
    EXPECT_EQ(Shown("light_combo_ZZCCmodeSelectLayout"), step.zone);
    EXPECT_EQ(Shown("lightcustom_layout"), step.custom);
    EXPECT_EQ(Shown("light_combo_AudiomodeSelectLayout"), step.audio);
    EXPECT_EQ(Part<CTabLayoutUI>("light_color_tablayout")->GetCurSel(), step.page);
    EXPECT_EQ(Part("deng_FXL_check")->GetRawText(), step.firstText);
  }
}

TEST_F(LightPanel, SameModeButtonNeedsAvailabilityAndAMode) {
  panel_->SetDeviceKind(1);
  FillKeyboardModes();
  panel_->SelectMode(5);
  panel_->ShowSameMode(true);
  EXPECT_FALSE(Shown("deng_same_mode")) << "one device page only";
  panel_->SetSameModeAvailable(1);
  EXPECT_EQ(panel_->IsSameModeAvailable(), 1);
  EXPECT_TRUE(Shown("deng_same_mode")) << "mode 5 laid out again";
  panel_->SelectMode(7);
  EXPECT_FALSE(Shown("deng_same_mode"));
  for (int mode : {4, 6, 21, 23, 31, 34}) {
    panel_->SelectMode(mode);
    EXPECT_TRUE(Shown("deng_same_mode")) << mode;
  }
  panel_->SetSameModeAvailable(0);
  EXPECT_FALSE(Shown("deng_same_mode"));

  // The mouse never offers it; a pad does in its shared modes.
  panel_->SetSameModeAvailable(1);
  panel_->SetDeviceKind(2);
  for (int mode : {1, 2, 3, 4, 10}) {
    panel_->SelectMode(mode);
    EXPECT_FALSE(Shown("deng_same_mode")) << mode;
  }
  panel_->SetDeviceKind(3);
  panel_->SelectMode(8);
  EXPECT_TRUE(Shown("deng_same_mode"));
}

TEST(LightPanelColourEdit, ValueAndRewrite) {
  const struct {
    const char* text;
    int value;
    bool rewrite;
  } kCases[] = {
      {"300", 255, true}, {"", 0, true},    {"12abc", 12, false}, {"abc", 0, false},
      {"255", 255, false}, {"0", 0, false}, {"256", 255, true},   {"99999999999", 255, true},
      {"007", 7, false},   {"-5", 0, false},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.text);
    bool rewrite = !c.rewrite;
    EXPECT_EQ(CLightControlUI::ColourEditValue(QString::fromLatin1(c.text), &rewrite), c.value);
    EXPECT_EQ(rewrite, c.rewrite);
    EXPECT_EQ(CLightControlUI::ColourEditValue(QString::fromLatin1(c.text)), c.value);
  }
}

TEST_F(LightPanel, PresetColoursAreTheSkinSwatches) {
  QFile file(TRAVIX_SOURCE_DIR "/skin/XML/CustomControlXML/LightControl.xml");
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QString skin = QString::fromUtf8(file.readAll());
  const QRegularExpression swatch(R"re(name="color_option_(\d+)"[^>]*?\sbkcolor="#([0-9A-Fa-f]{8})")re");
  int count = 0;
  for (const auto& match : swatch.globalMatch(skin)) {
    ++count;
    EXPECT_EQ(panel_->GetPresetColour(match.captured(1).toInt()), match.captured(2).toUInt(nullptr, 16))
        << match.captured(0).toStdString();
  }
  EXPECT_EQ(count, 10);
  EXPECT_EQ(panel_->GetPresetColour(0), 0xFFFF0000u);
  EXPECT_EQ(panel_->GetPresetColour(99), 0u);
}

TEST_F(LightPanel, OptionGroupsOfTwoPanelsAreIndependent) {
  CLightControlUI* other = AddPanel();  // joins a window that is already up
  ASSERT_NE(other, nullptr);
  panel_->SetDirection(0);
  other->SetDirection(0);
  ASSERT_TRUE(Part<COptionUI>("deng_FXR_check")->IsSelected());

  auto* otherFirst = Part<COptionUI>("deng_FXL_check", other);
  ASSERT_TRUE(otherFirst->Activate());
  EXPECT_TRUE(otherFirst->IsSelected());
  EXPECT_FALSE(Part<COptionUI>("deng_FXR_check", other)->IsSelected()) << "own group";
  EXPECT_TRUE(Part<COptionUI>("deng_FXR_check")->IsSelected()) << "the other panel's choice";
  EXPECT_FALSE(Part<COptionUI>("deng_FXL_check")->IsSelected());
}
