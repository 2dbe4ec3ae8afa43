#include "ui/MusicWnd.h"

#include <QColor>
#include <QPointer>
#include <algorithm>

#include "platform/DebugChannel.h"
#include "platform/WindowMessageTypes.h"
#include "toolkit/CDPI.h"
#include "toolkit/CEditUI.h"
#include "toolkit/COptionUI.h"
#include "toolkit/CSliderUI.h"

using namespace toolkit;

namespace {

// Groups are numbered from 1 in the control names.
constexpr const char* kTabPrefix = "audio_select_tab";
constexpr const char* kNamePrefix = "audio_edit_name";
constexpr const char* kSliders[] = {"audio_r_slider", "audio_g_slider", "audio_b_slider"};
constexpr const char* kChannelNumbers[] = {"audio_r_value", "audio_g_value", "audio_b_value"};
constexpr const char* kPreview = "audio_color_preview";
constexpr int kChannelCount = 3;

// The dialog that is open, if any.
QPointer<MusicWnd>& OpenDialog() {
  static QPointer<MusicWnd> open;
  return open;
}

bool IsGroup(int group) { return group >= 0 && group < MusicStyle::kGroupCount; }

QString GroupControlName(const char* prefix, int group) {
  return QLatin1String(prefix) + QString::number(group + 1);
}

// The group of a control named `prefix` + 1..4; -1 for any other name.
int GroupOf(const QString& name, const char* prefix) {
  for (int group = 0; group < MusicStyle::kGroupCount; ++group)
    if (name == GroupControlName(prefix, group))
      return group;
  return -1;
}

int ChannelOf(const QString& name) {
  for (int channel = 0; channel < kChannelCount; ++channel)
    if (name == QLatin1String(kSliders[channel]))
      return channel;
  return -1;
}

// Channel 0, 1, 2: red, green, blue.
uint8_t& Channel(MusicGroupColour& colour, int channel) {
  return channel == 0 ? colour.red : channel == 1 ? colour.green : colour.blue;
}

int ChannelValue(const MusicGroupColour& colour, int channel) {
  return channel == 0 ? colour.red : channel == 1 ? colour.green : colour.blue;
}

}  // namespace

MusicWnd::MusicWnd(QString filePath)
    : filePath_(std::move(filePath)), style_(MusicStyleFile::DefaultStyle()) {}

MusicWnd::~MusicWnd() = default;

std::optional<MusicStyle> MusicWnd::Edit(CWindowWnd* owner, const QString& filePath, int dpi) {
  if (IsOpen())
    return std::nullopt;
  auto* dialog = new MusicWnd(filePath);
  dialog->deleteWhenClosed_ = false;
  if (!dialog->Create(owner, QStringLiteral("MusicWnd"), WS_POPUP, WS_EX_TOOLWINDOW, 0, 0, kWidth,
                      kHeight)) {
    dialog->deleteLater();
    return std::nullopt;
  }
  dialog->SetDpi(dpi);
  dialog->CenterWindow();
  // Nothing here refers to the owner after this: it may be gone when the
  // loop returns.
  QPointer<MusicWnd> guard(dialog);
  const UINT result = dialog->ShowModal();
  std::optional<MusicStyle> style;
  if (guard != nullptr) {
    if (result == kResultOk)
      style = guard->result_;
    guard->deleteLater();
  }
  return style;
}

bool MusicWnd::IsOpen() {
  const QPointer<MusicWnd>& open = OpenDialog();
  return open != nullptr && !open->IsDestroying();
}

void MusicWnd::SetDpi(int dpi) {
  if (!CDPI::IsAccepted(dpi)) {
    platform::DebugPrint("music style dialog: DPI %d replaced by %d", dpi, CDPI::kDefaultDpi);
    dpi = CDPI::kDefaultDpi;
  }
  dpi_ = dpi;
  m_pm.SetDPI(dpi);
}

COptionUI* MusicWnd::GroupTab(int group) const {
  if (!IsGroup(group))
    return nullptr;
  return qobject_cast<COptionUI*>(FindControl(GroupControlName(kTabPrefix, group)));
}

CEditUI* MusicWnd::NameEdit(int group) const {
  if (!IsGroup(group))
    return nullptr;
  return qobject_cast<CEditUI*>(FindControl(GroupControlName(kNamePrefix, group)));
}

CSliderUI* MusicWnd::ChannelSlider(int channel) const {
  return qobject_cast<CSliderUI*>(FindControl(QLatin1String(kSliders[channel])));
}

void MusicWnd::InitWindow() {
  OpenDialog() = this;
  for (int channel = 0; channel < kChannelCount; ++channel) {
    if (CSliderUI* slider = ChannelSlider(channel)) {
      slider->SetMinValue(0);
      slider->SetMaxValue(255);
    }
  }
  for (int group = 0; group < MusicStyle::kGroupCount; ++group)
    if (CEditUI* edit = NameEdit(group))
      edit->SetLeaveOnReturn(true);
  SetStyle(MusicStyleFile::Load(filePath_));
}

void MusicWnd::SetStyle(const MusicStyle& style) {
  style_ = style;
  for (int group = 0; group < MusicStyle::kGroupCount; ++group) {
    style_.names[group] = MusicStyleFile::NameOrDefault(group, style.names[group]);
    if (CEditUI* edit = NameEdit(group))
      edit->SetText(style_.names[group]);
  }
  SelectGroup(IsGroup(style.nAudioStyle) ? style.nAudioStyle : 0);
}

MusicStyle MusicWnd::Style() const {
  MusicStyle style = style_;
  for (int group = 0; group < MusicStyle::kGroupCount; ++group)
    if (const CEditUI* edit = NameEdit(group))
      style.names[group] = MusicStyleFile::NameOrDefault(group, edit->GetText());
  return style;
}

void MusicWnd::SelectGroup(int group) {
  style_.nAudioStyle = group;
  if (COptionUI* tab = GroupTab(group))
    tab->Selected(true, false);
  ShowSelectedColour();
}

void MusicWnd::ShowSelectedColour() {
  const MusicGroupColour& colour = style_.colours[style_.nAudioStyle];
  for (int channel = 0; channel < kChannelCount; ++channel) {
    const int value = ChannelValue(colour, channel);
    if (CSliderUI* slider = ChannelSlider(channel))
      slider->SetValue(value, false);
    ShowChannelNumber(channel, value);
  }
  ShowPreview();
}

void MusicWnd::ShowChannelNumber(int channel, int value) {
  if (CControlUI* number = FindControl(QLatin1String(kChannelNumbers[channel])))
    number->SetText(QString::number(value));
}

void MusicWnd::ShowPreview() {
  const MusicGroupColour& colour = style_.colours[style_.nAudioStyle];
  if (CControlUI* preview = FindControl(QLatin1String(kPreview)))
    preview->SetBkColor(QColor(colour.red, colour.green, colour.blue));
}

void MusicWnd::TakeChannel(int channel, int value) {
  const int clamped = std::clamp(value, 0, 255);
  Channel(style_.colours[style_.nAudioStyle], channel) = static_cast<uint8_t>(clamped);
  ShowChannelNumber(channel, clamped);
  ShowPreview();
}

void MusicWnd::SettleName(int group) {
  CEditUI* edit = NameEdit(group);
  if (edit == nullptr)
    return;
  const QString name = MusicStyleFile::NameOrDefault(group, edit->GetText());
  if (edit->GetText() != name)
    edit->SetText(name);
}

void MusicWnd::OnOk() {
  result_ = Style();
  MusicStyleFile::Save(filePath_, *result_);
  Close(kResultOk);
}

bool MusicWnd::HandleNotify(TNotifyUI& msg) {
  if (msg.pSender == nullptr)
    return false;
  const QString name = msg.pSender->GetName();
  const QString& type = msg.sType;

  if (type == QLatin1String(DUI_MSGTYPE_SELECTCHANGED)) {
    const int group = GroupOf(name, kTabPrefix);
    auto* tab = qobject_cast<COptionUI*>(msg.pSender);
    if (group < 0 || tab == nullptr)
      return false;
    if (tab->IsSelected())
      SelectGroup(group);
    return true;
  }

  if (type == QLatin1String(DUI_MSGTYPE_VALUECHANGED) ||
      type == QLatin1String(DUI_MSGTYPE_MOVEVALUECHANGED)) {
    const int channel = ChannelOf(name);
    auto* slider = qobject_cast<CSliderUI*>(msg.pSender);
    if (channel < 0 || slider == nullptr)
      return false;
    TakeChannel(channel, slider->GetValue());
    return true;
  }

  if (type == QLatin1String(DUI_MSGTYPE_KILLFOCUS) || type == QLatin1String(DUI_MSGTYPE_RETURN)) {
    const int group = GroupOf(name, kNamePrefix);
    if (group < 0)
      return false;
    // A dialog on its way out leaves its edits alone.
    if (!IsDestroying())
      SettleName(group);
    return true;
  }

  if (type == QLatin1String(DUI_MSGTYPE_CLICK)) {
    if (name == QLatin1String("okbtn"))
      OnOk();
    else if (name == QLatin1String("closebtn") || name == QLatin1String("cancelbtn"))
      Close(kResultClosed);
    else
      return false;
    return true;
  }
  return false;
}

LRESULT MusicWnd::OnDestroy(WPARAM, LPARAM, bool& handled) {
  if (OpenDialog() == this)
    OpenDialog() = nullptr;
  handled = false;
  return 0;
}

LRESULT MusicWnd::OnSysCommand(WPARAM wParam, LPARAM, bool& handled) {
  if ((wParam & 0xFFF0) == platform::SC_CLOSE) {
    // The window system's close is a cancel.
    Close(kResultClosed);
    return 0;
  }
  handled = false;
  return 0;
}

void MusicWnd::OnFinalMessage() {
  if (deleteWhenClosed_)
    deleteLater();
}
