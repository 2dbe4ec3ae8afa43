#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "app/AudioLightingCommands.h"
#include "app/ShellMessages.h"
#include "lighting/LightInfoWords.h"
#include "lighting/LightTables.h"
#include "platform/WindowMessages.h"
#include "support/SimulatedKeyboardPage.h"
#include "toolkit/CButtonUI.h"
#include "toolkit/CColorPaletteUI.h"
#include "toolkit/CComboUI.h"
#include "toolkit/CEditUI.h"
#include "toolkit/COptionUI.h"
#include "toolkit/CSliderUI.h"
#include "ui/CLightControlUI.h"

using namespace toolkit;
using testing_support::RunFor;
using testing_support::RunUntil;

namespace {

// A key in grid column 2, row 3.
constexpr int kColumnTwoRowThree = 64;

// The keyboard's music lighting on the shipped skin, against the simulator.
class MusicLighting : public testing_support::SimulatedKeyboardPage {
 protected:
  CLightControlUI* Panel() { return keyboard_->LightPanel(); }
  AudioLightInfo Shown() { return *keyboard_->GetAudioLightInfo(false); }
  Json::Value Saved() { return ProfileSection()["AudioLightInfo"]; }
  void SelectStyle(int style) {
    auto* combo = Control<CComboUI>("light_combo_audiomodeSelect");
    ASSERT_NE(combo, nullptr);
    combo->SelectItem(style, false, true);
    Settle();
  }
  void Notify(const char* type, CControlUI* sender) {
    TNotifyUI msg;
    msg.sType = QString::fromLatin1(type);
    msg.pSender = sender;
    window_->Notify(msg);
    Settle();
  }
  // Sets the edited colour with the palette, as a drag on it does.
  void PickOnPalette(uint32_t argb) {
    auto* palette = Control<CColorPaletteUI>("deng_audioColor_Pallet");
    ASSERT_NE(palette, nullptr);
    palette->SetSelectColor(argb);
    Notify("colorchanged", palette);
  }
  // One spectrum, as the capture delivers it.
  void Spectrum(int32_t value) {
    std::array<int32_t, 500> bins{};
    bins.fill(value);
    platform::CopyDataRecord record{1, sizeof bins, bins.data()};
    platform::SendWindowMessage(window_->GetHWND(), platform::WM_COPYDATA, 0,
                                reinterpret_cast<platform::LParam>(&record));
  }
  std::array<uint8_t, 3> FrameColour(int position) {
    const int led = keyboard_->PositionToLed(position);
    const auto frame = Memory("light_frame");
    return {frame[led * 3], frame[led * 3 + 1], frame[led * 3 + 2]};
  }
};

}  // namespace

TEST_F(MusicLighting, TheColoursReachThePageAndTheProfileButNotTheDevice) {
  Start();
  SelectMode(29);
  EXPECT_TRUE(Control<CControlUI>("light_combo_AudiomodeSelectLayout")->IsOwnVisible());
  const auto block = Block();

  SelectStyle(3);
  EXPECT_EQ(Shown().AudioMode, 3);
  EXPECT_EQ(Saved()["AudioMode"].asInt(), 3);
  // The rings draw the colour wheel: no colour of the user's to edit.
  EXPECT_FALSE(Control<CControlUI>("light_audiocolor_layout")->IsEnabled());
  EXPECT_FALSE(Control<CControlUI>("audiocolorpallet_layout")->IsEnabled());
  SelectStyle(0);
  EXPECT_TRUE(Control<CControlUI>("light_audiocolor_layout")->IsEnabled());
  EXPECT_EQ(keyboard_->Keyboard().AudioStyle().style, 0);

  // The multicolour switch belongs to the foreground.
  Control<COptionUI>("audio_BkColor_check")->Selected(true);
  Settle();
  EXPECT_EQ(Shown().ColorTypeFlags, 0);
  EXPECT_EQ(Saved()["ColorTypeFlags"].asInt(), 0);
  EXPECT_FALSE(Control<COptionUI>("deng_7audiocolor_check")->IsEnabled());
  PickOnPalette(0xFF102030);
  EXPECT_EQ((std::array{Shown().BkColorR, Shown().BkColorG, Shown().BkColorB}),
            (std::array<uint8_t, 3>{0x10, 0x20, 0x30}));
  EXPECT_EQ(Control<CEditUI>("deng_audioedit_G")->GetText(), "32");

  auto* foreground = Control<COptionUI>("audio_FgColor_check");
  foreground->Selected(true);
  Settle();
  EXPECT_EQ(Shown().ColorTypeFlags, 1);
  EXPECT_EQ(Saved()["ColorTypeFlags"].asInt(), 1);
  auto* multiColour = Control<COptionUI>("deng_7audiocolor_check");
  EXPECT_TRUE(multiColour->IsEnabled());
  multiColour->Selected(true);
  Settle();
  EXPECT_EQ(Shown().SevenColorFlags, 1);
  EXPECT_TRUE(keyboard_->Keyboard().AudioStyle().multiColour);

  // Typing a foreground value clears the multicolour; values stay in range.
  auto* red = Control<CEditUI>("deng_audioedit_R");
  red->SetText("300");
  Notify("killfocus", red);
  EXPECT_EQ(Shown().FgColorR, 255);
  EXPECT_EQ(red->GetText(), "255");
  EXPECT_EQ(Shown().SevenColorFlags, 0);
  EXPECT_EQ(Saved()["FgColorR"].asInt(), 255);
  // The background kept its colour.
  EXPECT_EQ(Shown().BkColorR, 0x10);

  // A swatch goes into the edited colour.
  auto* swatch = Control<CButtonUI>("audiocolor_option_5");  // blue
  swatch->Activate();
  Settle();
  EXPECT_EQ((std::array{Shown().FgColorR, Shown().FgColorG, Shown().FgColorB}),
            (std::array<uint8_t, 3>{0, 0, 255}));
  const lighting::AudioStyleParams params = keyboard_->Keyboard().AudioStyle();
  EXPECT_EQ(params.foreground, (lighting::Rgb{0, 0, 255}));
  EXPECT_EQ(params.background, (lighting::Rgb{0x10, 0x20, 0x30}));

  EXPECT_EQ(Block(), block) << "the music colours are the program's, not the keyboard's";

  // A profile loaded again shows what was kept.
  keyboard_->ApplyProfile();
  Settle();
  EXPECT_EQ(Shown().FgColorB, 255);
  EXPECT_EQ(Control<CComboUI>("light_combo_audiomodeSelect")->GetCurSel(), 0);
}

// What the computer plays lights the keys: spectra become band levels, the
// light thread draws the column bars in the foreground colour and streams
// them; in silence the keys fall back to the background.
TEST_F(MusicLighting, SpectraLightTheColumnBarsAndSilenceLetsThemFall) {
  // Only the spectra of this test: no sound server is reached.
  const QByteArray server = qgetenv("PULSE_SERVER");
  qputenv("PULSE_SERVER", "unix:/nonexistent/travix-test-native");
  Start();
  SelectMode(29);
  SelectStyle(0);
  Control<COptionUI>("audio_BkColor_check")->Selected(true);
  Settle();
  PickOnPalette(0xFF000000);  // a black background
  Control<COptionUI>("audio_FgColor_check")->Selected(true);
  Settle();
  Control<CButtonUI>("audiocolor_option_5")->Activate();  // blue bars
  Settle();
  ASSERT_LT(keyboard_->PositionToLed(kColumnTwoRowThree), 255);

  // Bins that change by 1500 every spectrum: band levels of about 1500, so
  // the bars reach from row 2 down.
  int32_t value = 0;
  auto lit = [&] {
    for (int i = 0; i < 6; ++i) {
      value = value == 0 ? 1500 : 0;
      Spectrum(value);
    }
    const auto colour = FrameColour(kColumnTwoRowThree);
    return colour[0] == 0 && colour[1] == 0 && colour[2] > 0;
  };
  EXPECT_TRUE(RunUntil(lit, 3000));
  EXPECT_GT(window_->AudioLighting().Bands().Means()[2], 1000);

  auto dark = [&] { return FrameColour(kColumnTwoRowThree) == std::array<uint8_t, 3>{0, 0, 0}; };
  EXPECT_TRUE(RunUntil(dark, 3000)) << "the background (black) once the music stops";
  window_.reset();
  if (server.isNull())
    qunsetenv("PULSE_SERVER");
  else
    qputenv("PULSE_SERVER", server);
}

TEST_F(MusicLighting, BandLevelsAreComputedOncePerSpectrum) {
  Start("keyboard-receiver");
  Spectrum(4000);
  const auto loud = window_->AudioLighting().Bands().Means();
  EXPECT_EQ(loud[0], 4000);  // (0 + 20 × 4000) / 20
  // The same spectrum again: no change, so each mean falls by a factor 20,
  // once, whatever number of keyboard interfaces is connected.
  Spectrum(4000);
  EXPECT_EQ(window_->AudioLighting().Bands().Means()[0], 200);
  // A page takes at most 25 levels, whatever count it is given.
  std::vector<int32_t> many(500, 7);
  keyboard_->SetAudioLevels(many.data(), 500);
  keyboard_->SetAudioLevels(many.data(), 0);
  keyboard_->SetAudioLevels(nullptr, 25);
}

TEST_F(MusicLighting, TheRecorderHearsTheStyleColourAndTheSliders) {
  Start();
  AudioLightingCommands& commands = window_->AudioLighting();
  std::vector<platform::SocketMessage> heard;
  commands.SetRecorder([&](const platform::SocketMessage& message) { heard.push_back(message); });
  ASSERT_EQ(heard.size(), 3u);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(heard[i].name, QLatin1String(ShellMessages::kAudioRecordName));
    EXPECT_EQ(heard[i].wParam, (std::array{2, 4, 5})[i]);
  }
  heard.clear();

  // The dialog confirms a style: its colour goes to the recorder as three
  // numbers in a 40-byte record, a green of 0 as 1.
  MusicStyle style;
  style.nAudioStyle = 2;
  style.colours[2] = {9, 0, 200};
  commands.SetStyleEditor([&](const QString&) { return std::optional<MusicStyle>(style); });
  auto* button = Control<CButtonUI>("music_setting_btn");
  ASSERT_NE(button, nullptr);
  SelectMode(29);
  button->Activate();
  Settle();
  ASSERT_EQ(heard.size(), 1u);
  EXPECT_TRUE(heard[0].IsCopyData());
  EXPECT_EQ(heard[0].dwData, AudioLightingCommands::kRecorderColourRecord);
  QByteArray expected(40, '\0');
  expected[0] = 9;
  expected[4] = 1;
  expected[8] = static_cast<char>(200);
  EXPECT_EQ(heard[0].data, expected);
  heard.clear();

  // A cancelled dialog sends nothing.
  commands.SetStyleEditor([](const QString&) { return std::optional<MusicStyle>(); });
  button->Activate();
  Settle();
  EXPECT_TRUE(heard.empty());

  // The recorder's sliders show while it listens, and report their values.
  EXPECT_TRUE(Control<CControlUI>("light_recorder_layout")->IsOwnVisible());
  auto* green = Control<CSliderUI>("G_light_slider");
  ASSERT_NE(green, nullptr);
  green->SetValue(120, true);
  Settle();
  ASSERT_EQ(heard.size(), 1u);
  EXPECT_EQ(heard[0].wParam, 7);
  EXPECT_EQ(heard[0].lParam, 120);
  EXPECT_EQ(Control<CControlUI>("G_light_label")->GetText(), "G 120");

  // Without a recorder nothing is sent, and the sliders go.
  commands.SetRecorder({});
  heard.clear();
  green->SetValue(10, true);
  Settle();
  EXPECT_TRUE(heard.empty());
  EXPECT_FALSE(Control<CControlUI>("light_recorder_layout")->IsOwnVisible());
}
