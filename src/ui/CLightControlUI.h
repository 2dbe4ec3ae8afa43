#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "profiles/AudioLightInfo.h"
#include "toolkit/CHorizontalLayoutUI.h"

namespace toolkit {
class CComboUI;
class COptionUI;
class CSliderUI;
class CEditUI;
}  // namespace toolkit

// A device page's lighting panel: the mode list, brightness and speed, the
// colour (three edits, a palette, preset swatches, the multicolour switch),
// the direction, and on the keyboard the custom colour group, the second-zone
// mode and the audio style. It shows a lighting record and lays itself out
// for the selected mode; the page acts on the changes (the main window routes
// them). A part the skin lacks makes its operation do nothing, and its
// getter returns a neutral value.
class CLightControlUI : public toolkit::CHorizontalLayoutUI {
  Q_OBJECT
 public:
  explicit CLightControlUI(QWidget* parent = nullptr);
  ~CLightControlUI() override;
  QString GetClass() const override { return QStringLiteral("LightControl"); }

  // 1 keyboard, 2 mouse, 3 mouse pad, 7 headset.
  void SetDeviceKind(int kind) { kind_ = kind; }
  int GetDeviceKind() const { return kind_; }
  // Fills the mode list (each name a language id) and the sliders' maxima.
  void FillModeList(const std::vector<std::string>& names, const std::vector<bool>& visible,
                    int maxLight, int maxSpeed);
  // Shows a lighting record given as its words A, B, C.
  void ShowLightInfo(uint32_t a, uint32_t b, uint32_t c);

  void SelectMode(int index);
  int GetMode() const;
  void SetBrightness(int value);
  int GetBrightness() const;
  void SetSpeed(int value);
  int GetSpeed() const;
  void SetRedText(const QString& text);
  QString GetRedText() const;
  void SetGreenText(const QString& text);
  QString GetGreenText() const;
  void SetBlueText(const QString& text);
  QString GetBlueText() const;
  // 0xAARRGGBB; also the colour button's background.
  void SetColour(uint32_t argb);
  uint32_t GetColour() const;
  // The background of swatch "color_option_" n (0 when missing).
  uint32_t GetPresetColour(int n) const;
  void SetMultiColour(bool on);
  bool GetMultiColour() const;
  // Non-zero selects the first direction option.
  void SetDirection(int fx);
  void SelectSecondZoneMode(int index);
  int GetSecondZoneMode() const;
  void SelectCustomGroup(int index);
  int GetCustomGroup() const;
  // The same-mode button shows when `flag` and the button is available.
  void ShowSameMode(bool flag);
  void SetSameModeAvailable(int flag);
  int IsSameModeAvailable() const { return sameModeAvailable_; }
  void UpdateLayout(int kind, int mode);

  // The music lighting's colours (the keyboard in its music mode): the
  // style, the background and foreground colours, which of them is edited
  // and the multicolour foreground. Each part must be in the skin; when one
  // is missing the operation writes its error line and does nothing.
  //
  // Shows `info`: the style in its list, the edited colour in the three
  // edits, the palette and the colour button, the multicolour switch
  // (enabled only while the foreground is edited); the colour areas are
  // disabled for the rings style, which draws the colour wheel.
  bool ShowAudioLightInfo(const AudioLightInfo& info);
  // `shown` with what the panel says now: the style, the multicolour switch,
  // which colour is edited, and with `takeColour` the colour button's colour
  // as the edited colour. Nothing when a part is missing.
  std::optional<AudioLightInfo> ReadAudioLightInfo(const AudioLightInfo& shown,
                                                   bool takeColour) const;
  // The text of the music colour's edit 0, 1 or 2 (red, green, blue).
  QString GetAudioEditText(int channel) const;
  void SetAudioEditText(int channel, const QString& text);
  uint32_t GetAudioPaletteColour() const;
  // The background of swatch "audiocolor_option_" n (0 when missing).
  uint32_t GetAudioPresetColour(int n) const;
  // The outside audio recorder's colour sliders, shown only while a
  // recorder listens.
  void ShowRecorderSliders(bool shown);
  // The note that the screen mode cannot read this screen.
  void ShowScreenUnavailable(bool shown);

  static constexpr const char* kShowAudioError = " SetAudioLightInfo control is NULL";
  static constexpr const char* kReadAudioError = "GetAudioLightInfo control is NULL";
  static constexpr const char* kAudioColourError = "GetLightAudioColor control is NULL";
  // The style that draws the colour wheel and no colours of the user's.
  static constexpr int kRingsStyle = 3;

  // The colour edits' rule: the leading decimal value of the text, at most
  // 255; an empty text is 0. `rewrite` tells whether the edit must show the
  // value instead of what was typed.
  static int ColourEditValue(const QString& text, bool* rewrite = nullptr);

  void DoInit() override;

 private:
  template <typename T>
  T* Sub(const char* name) const;
  void Enable(const char* name, bool enabled);
  void Show(const char* name, bool shown);
  void SetText(const char* name, const QString& text);
  QString Text(const char* name) const;
  void SetDirectionText(const char* name, const char* id);

  int kind_ = 0;
  int sameModeAvailable_ = 0;
};
