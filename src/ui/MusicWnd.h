#pragma once

#include <QString>
#include <optional>

#include "settings/MusicStyleFile.h"
#include "toolkit/WindowImplBase.h"

namespace toolkit {
class CControlUI;
class CEditUI;
class COptionUI;
class CSliderUI;
}  // namespace toolkit

// The music style dialog: the four colour groups of the music styles, each
// with a name and a colour, and the group in use. A group tab
// ("audio_select_tab1".."4") chooses the group in use and shows its colour
// on the three sliders ("audio_r_slider", "_g_", "_b_", 0..255) and in the
// preview; the sliders change that group's colour only. The names are edited
// in "audio_edit_name1".."4"; a name left empty is the group's default name.
//
// The dialog reads the style file when it is created and writes it when it
// is closed by "okbtn" (kResultOk); "closebtn", "cancelbtn" and the window
// system's close leave the file alone (kResultClosed). Only one music style
// dialog is open at a time; callers go through Edit.
class MusicWnd : public toolkit::WindowImplBase {
  Q_OBJECT
 public:
  // Size in skin units.
  static constexpr int kWidth = 369;
  static constexpr int kHeight = 276;
  static constexpr toolkit::UINT kResultClosed = 0;
  static constexpr toolkit::UINT kResultOk = 1;

  // The dialog of the style file at `filePath`.
  explicit MusicWnd(QString filePath);
  ~MusicWnd() override;

  QString GetWindowClassName() const override { return QStringLiteral("MusicWnd"); }
  QString GetSkinFile() const override { return QStringLiteral("music.xml"); }

  // Shows the styles of the file at `filePath` in a modal dialog over
  // `owner`, scaled for `dpi` (48, 72, ... 192; anything else is taken as
  // 96). On OK the file is written and the styles as closed are returned
  // (also when the file could not be written); nothing when the user
  // cancelled or a music style dialog is open already.
  //
  // The modal loop runs the program's events, so the caller may be
  // destroyed before this returns; a caller that is a window or a page keeps
  // a QPointer to itself and checks it before it touches its own members.
  static std::optional<MusicStyle> Edit(toolkit::CWindowWnd* owner, const QString& filePath,
                                        int dpi);
  // Whether a music style dialog is open (created and not yet closed).
  static bool IsOpen();

  // 48, 72, ... 192; anything else is replaced by 96.
  void SetDpi(int dpi);
  int Dpi() const { return dpi_; }

  // Shows `style`: its group in use selected (a group outside 0..3 as 0),
  // the names (empty ones as the default names) and that group's colour.
  void SetStyle(const MusicStyle& style);
  // The styles as shown, the names as typed (empty ones as the default names).
  MusicStyle Style() const;
  const QString& FilePath() const { return filePath_; }

 protected:
  void InitWindow() override;
  bool HandleNotify(toolkit::TNotifyUI& msg) override;
  toolkit::LRESULT OnDestroy(toolkit::WPARAM wParam, toolkit::LPARAM lParam,
                             bool& handled) override;
  toolkit::LRESULT OnSysCommand(toolkit::WPARAM wParam, toolkit::LPARAM lParam,
                                bool& handled) override;
  void OnFinalMessage() override;

 private:
  toolkit::COptionUI* GroupTab(int group) const;
  toolkit::CEditUI* NameEdit(int group) const;
  toolkit::CSliderUI* ChannelSlider(int channel) const;

  void SelectGroup(int group);
  // The selected group's colour on the sliders, their numbers and the preview.
  void ShowSelectedColour();
  void ShowChannelNumber(int channel, int value);
  void ShowPreview();
  void TakeChannel(int channel, int value);
  // An edit left empty shows the default name again.
  void SettleName(int group);
  void OnOk();

  QString filePath_;
  // The colours and the group in use; the names live in the edits while shown.
  MusicStyle style_;
  int dpi_ = 96;
  // Set on OK: the styles as closed.
  std::optional<MusicStyle> result_;
  // Edit deletes the dialog itself once it has read the result.
  bool deleteWhenClosed_ = true;
};
