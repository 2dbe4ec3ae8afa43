#pragma once

#include <QString>
#include <cstdint>
#include <optional>

#include "settings/ColourSwatches.h"
#include "toolkit/WindowImplBase.h"

namespace toolkit {
class CColorPaletteUI;
class CControlUI;
class CEditUI;
class COptionUI;
}  // namespace toolkit

// The colour dialog: a palette, the colour as three numbers (0..255), a
// preview, 20 preset swatches and 20 places the user fills with colours of
// his own. Both swatch sets and their selected places are kept in
// "color_option_info.config" (ColourSwatches). Presets and collected places
// form one group: while a collected place is the selected swatch, every
// colour picked on the palette or typed in is kept there.
//
// Closed with 1 by "okbtn" (the preview's colour is the result), with 2 by
// "okbtn" when the skin has no palette, with 0 by "closebtn" or "cancelbtn".
// Only one colour dialog is open at a time; callers go through Pick.
class CColorSelectWnd : public toolkit::WindowImplBase {
  Q_OBJECT
 public:
  // Size in skin units.
  static constexpr int kWidth = 800;
  static constexpr int kHeight = 572;
  static constexpr toolkit::UINT kResultClosed = 0;
  static constexpr toolkit::UINT kResultOk = 1;
  static constexpr toolkit::UINT kResultNoPalette = 2;

  // The swatches of the user's data folder, with the program's template.
  CColorSelectWnd();
  // The swatch file at `userFile`, with the template `defaultFile` (tests).
  CColorSelectWnd(QString userFile, QString defaultFile);
  ~CColorSelectWnd() override;

  QString GetWindowClassName() const override { return QStringLiteral("ColorSelectWnd"); }
  QString GetSkinFile() const override { return QStringLiteral("PalletDialog.xml"); }

  // Shows the dialog modally over `owner`, starting at `initial`
  // (0xAARRGGBB), scaled for `dpi` (48, 72, ... 192; anything else is taken
  // as 96). Returns the chosen colour, or nothing when the user cancelled or
  // a colour dialog is open already.
  //
  // The modal loop runs the program's events, so the caller may be destroyed
  // before this returns (its device unplugged, its page closed). A caller
  // that is a window or a page keeps a QPointer to itself and checks it after
  // Pick returns, before it touches its own members. The dialog keeps no
  // pointer to the caller.
  static std::optional<uint32_t> Pick(toolkit::CWindowWnd* owner, uint32_t initial, int dpi);
  // Whether a colour dialog is open (created and not yet closed).
  static bool IsOpen();

  // 48, 72, ... 192; anything else is replaced by 96. Only this window's
  // paint manager takes it.
  void SetDpi(int dpi);
  int Dpi() const { return dpi_; }

  // Shows `argb` in the preview (without the multicolour picture), on the
  // palette and in the numbers, and makes it the current colour.
  void SetColour(uint32_t argb);
  // The preview's colour; 0 when the skin has no preview.
  uint32_t GetResultColour() const;
  // Ticks or clears "7color" (without its notification) and shows the
  // multicolour picture in the preview, or takes it away.
  void SetMultiColour(bool on);
  // Offers multicolour ("7color" enabled, "7color_layout" shown) or not;
  // without the offer, multicolour is cleared.
  void ShowMultiColour(bool on);
  bool IsMultiColour() const { return multiColour_; }
  // The colour last picked, typed or set.
  uint32_t CurrentColour() const { return currentColour_; }
  const ColourSwatches& Swatches() const { return swatches_; }

 protected:
  void InitWindow() override;
  bool HandleNotify(toolkit::TNotifyUI& msg) override;
  toolkit::LRESULT OnDestroy(toolkit::WPARAM wParam, toolkit::LPARAM lParam,
                             bool& handled) override;
  toolkit::LRESULT OnSysCommand(toolkit::WPARAM wParam, toolkit::LPARAM lParam,
                                bool& handled) override;
  void OnFinalMessage() override;

 private:
  toolkit::CColorPaletteUI* Pallet() const;
  toolkit::CControlUI* Preview() const;
  toolkit::CEditUI* ChannelEdit(int channel) const;
  toolkit::COptionUI* PresetOption(int index) const;
  toolkit::COptionUI* CollectedOption(int index) const;

  void LoadSwatches();
  // Paints a collected place with the colour it holds.
  static void ShowCollectedColour(toolkit::COptionUI* option, uint32_t argb);
  void ShowPreview(uint32_t argb);
  void ShowChannels(uint32_t argb);
  void ShowMultiColourPicture(bool on);

  // A new colour from the palette or the numbers: kept in the selected
  // collected place (if that is the selected swatch), shown in the preview
  // and the numbers, multicolour cleared.
  void TakeColour(uint32_t argb);
  // Reads the three numbers (each to 0..255, an empty one as 0), writes
  // them back as read and takes the colour they make.
  void CommitChannels();
  void OnPresetSelected(int index);
  void OnCollectedSelected(int index);
  // Shows a swatch's colour everywhere, multicolour cleared.
  void ShowSwatchColour(uint32_t argb);
  void OnOk();

  QString userFile_;
  QString defaultFile_;
  ColourSwatches swatches_;
  uint32_t currentColour_ = 0xFFFF0000;
  bool multiColour_ = false;
  int dpi_ = 96;
  // The numbers were typed into since they were last read or written.
  bool channelsEdited_ = false;
  // Set while the numbers are written by the dialog itself.
  bool writingChannels_ = false;
  uint32_t resultColour_ = 0;
  // Pick deletes the dialog itself once it has read the result.
  bool deleteWhenClosed_ = true;
};
