#include "ui/CColorSelectWnd.h"

#include <QPointer>
#include <algorithm>

#include "platform/DebugChannel.h"
#include "platform/WindowMessageTypes.h"
#include "toolkit/CColorPaletteUI.h"
#include "toolkit/CDPI.h"
#include "toolkit/CEditUI.h"
#include "toolkit/COptionUI.h"
#include "toolkit/SkinButton.h"

using namespace toolkit;

namespace {

constexpr const char* kPallet = "Pallet";
constexpr const char* kPreview = "color_show_btn";
constexpr const char* kChannelEdits[] = {"color_edit_r", "color_edit_g", "color_edit_b"};
constexpr const char* kPresetPrefix = "color_option_";
constexpr const char* kCollectedPrefix = "collect_color_option_";
constexpr const char* kMultiColour = "7color";
constexpr const char* kMultiColourCollect = "7color_collect";
constexpr const char* kMultiColourLayout = "7color_layout";
constexpr const char* kMultiColourPicture = "common/base1.png";
constexpr uint32_t kWhite = 0xFFFFFFFF;

// The dialog that is open, if any.
QPointer<CColorSelectWnd>& OpenDialog() {
  static QPointer<CColorSelectWnd> open;
  return open;
}

// n for a name `prefix` + n with n in 0..19; -1 for any other name.
int SwatchIndex(const QString& name, const char* prefix) {
  const QLatin1String start(prefix);
  if (!name.startsWith(start))
    return -1;
  const QString digits = name.mid(start.size());
  bool ok = false;
  const int index = digits.toInt(&ok);
  if (!ok || index < 0 || index >= ColourSwatches::kCount || QString::number(index) != digits)
    return -1;
  return index;
}

bool IsChannelEdit(const QString& name) {
  return std::any_of(std::begin(kChannelEdits), std::end(kChannelEdits),
                     [&](const char* edit) { return name == QLatin1String(edit); });
}

QColor ToColour(uint32_t argb) { return QColor::fromRgba(argb); }

uint32_t ToArgb(const QColor& colour) { return colour.isValid() ? colour.rgba() : 0; }

QString SwatchName(const char* prefix, int index) {
  return QLatin1String(prefix) + QString::number(index);
}

}  // namespace

CColorSelectWnd::CColorSelectWnd()
    : CColorSelectWnd(ColourSwatches::UserFilePath(), ColourSwatches::DefaultFilePath()) {}

CColorSelectWnd::CColorSelectWnd(QString userFile, QString defaultFile)
    : userFile_(std::move(userFile)), defaultFile_(std::move(defaultFile)) {}

CColorSelectWnd::~CColorSelectWnd() = default;

std::optional<uint32_t> CColorSelectWnd::Pick(CWindowWnd* owner, uint32_t initial, int dpi) {
  if (IsOpen())
    return std::nullopt;
  auto* dialog = new CColorSelectWnd;
  dialog->deleteWhenClosed_ = false;
  if (!dialog->Create(owner, QStringLiteral("ColorSelectWnd"), WS_POPUP, WS_EX_TOOLWINDOW, 0, 0,
                      kWidth, kHeight)) {
    dialog->deleteLater();
    return std::nullopt;
  }
  dialog->SetDpi(dpi);
  dialog->SetColour(initial);
  dialog->ShowMultiColour(false);
  dialog->CenterWindow();
  // Nothing here refers to the owner after this: it may be gone when the
  // loop returns.
  QPointer<CColorSelectWnd> guard(dialog);
  const UINT result = dialog->ShowModal();
  std::optional<uint32_t> colour;
  if (guard != nullptr) {
    if (result == kResultOk)
      colour = guard->resultColour_;
    guard->deleteLater();
  }
  return colour;
}

bool CColorSelectWnd::IsOpen() {
  const QPointer<CColorSelectWnd>& open = OpenDialog();
  return open != nullptr && !open->IsDestroying();
}

void CColorSelectWnd::SetDpi(int dpi) {
  if (!CDPI::IsAccepted(dpi)) {
    platform::DebugOutput("COLOR_WND DPI SET ERROR");
    dpi = CDPI::kDefaultDpi;
  }
  dpi_ = dpi;
  m_pm.SetDPI(dpi);
}

CColorPaletteUI* CColorSelectWnd::Pallet() const {
  return qobject_cast<CColorPaletteUI*>(FindControl(QLatin1String(kPallet)));
}

CControlUI* CColorSelectWnd::Preview() const { return FindControl(QLatin1String(kPreview)); }

CEditUI* CColorSelectWnd::ChannelEdit(int channel) const {
  return qobject_cast<CEditUI*>(FindControl(QLatin1String(kChannelEdits[channel])));
}

COptionUI* CColorSelectWnd::PresetOption(int index) const {
  if (index < 0 || index >= ColourSwatches::kCount)
    return nullptr;
  return qobject_cast<COptionUI*>(FindControl(SwatchName(kPresetPrefix, index)));
}

COptionUI* CColorSelectWnd::CollectedOption(int index) const {
  if (index < 0 || index >= ColourSwatches::kCount)
    return nullptr;
  return qobject_cast<COptionUI*>(FindControl(SwatchName(kCollectedPrefix, index)));
}

void CColorSelectWnd::InitWindow() {
  OpenDialog() = this;
  // The numbers are settled on Enter and when the field is left, not on
  // every key; digits only, at most three of them.
  for (int channel = 0; channel < 3; ++channel) {
    if (CEditUI* edit = ChannelEdit(channel)) {
      edit->SetNumberOnly(true);
      edit->SetMaxChar(3);
      edit->SetLeaveOnReturn(true);
    }
  }
  LoadSwatches();
}

void CColorSelectWnd::LoadSwatches() {
  swatches_ = ColourSwatches::Load(userFile_, defaultFile_);
  for (int i = 0; i < ColourSwatches::kCount; ++i) {
    COptionUI* option = PresetOption(i);
    if (option == nullptr)
      continue;
    if (std::optional<uint32_t> colour = swatches_.Preset(i))
      option->SetBkColor(ToColour(*colour));
    else if (option->GetBkColor().isValid())
      swatches_.SetPreset(i, ToArgb(option->GetBkColor()));  // the skin's colour is saved as shown
  }
  if (COptionUI* option = PresetOption(swatches_.SelectedPreset()))
    option->Selected(true, false);

  for (int i = 0; i < ColourSwatches::kCount; ++i) {
    COptionUI* option = CollectedOption(i);
    if (option == nullptr)
      continue;
    option->SetBkColor(ToColour(kWhite));
    option->SetStateBkColor(SkinButton::Selected, ToColour(kWhite));
    const ColourSwatches::CollectedSwatch& place = swatches_.Collected(i);
    option->SetUserData(place.UserData);
    if (place.IsFilled())
      ShowCollectedColour(option, place.Colour);
  }
  // One group: this selection wins over the preset's.
  if (COptionUI* option = CollectedOption(swatches_.SelectedCollected()))
    option->Selected(true, false);
}

void CColorSelectWnd::ShowCollectedColour(COptionUI* option, uint32_t argb) {
  option->SetBkColor(ToColour(argb));
  option->SetStateBkColor(SkinButton::Selected, ToColour(argb));
  option->SetUserData(QStringLiteral("1"));
  // The frame and the mark of an empty place go.
  option->SetBorderSize(0);
  option->SetAttribute(QStringLiteral("foreimage"), QString());
}

void CColorSelectWnd::ShowPreview(uint32_t argb) {
  if (CControlUI* preview = Preview()) {
    preview->SetBkColor(ToColour(argb));
    preview->SetBkImage(QString());
  }
}

void CColorSelectWnd::ShowChannels(uint32_t argb) {
  const int channels[] = {static_cast<int>((argb >> 16) & 0xFF), static_cast<int>((argb >> 8) & 0xFF),
                          static_cast<int>(argb & 0xFF)};
  writingChannels_ = true;
  for (int channel = 0; channel < 3; ++channel)
    if (CEditUI* edit = ChannelEdit(channel))
      edit->SetText(QString::asprintf("%d", channels[channel]));
  writingChannels_ = false;
  channelsEdited_ = false;
}

void CColorSelectWnd::ShowMultiColourPicture(bool on) {
  if (CControlUI* preview = Preview())
    preview->SetBkImage(on ? QLatin1String(kMultiColourPicture) : QString());
}

void CColorSelectWnd::SetColour(uint32_t argb) {
  ShowPreview(argb);
  if (CColorPaletteUI* pallet = Pallet())
    pallet->SetSelectColor(argb);
  currentColour_ = argb;
  ShowChannels(argb);
}

uint32_t CColorSelectWnd::GetResultColour() const {
  const CControlUI* preview = Preview();
  return preview != nullptr ? ToArgb(preview->GetBkColor()) : 0;
}

void CColorSelectWnd::SetMultiColour(bool on) {
  multiColour_ = on;
  for (const char* name : {kMultiColour, kMultiColourCollect})
    if (auto* option = qobject_cast<COptionUI*>(FindControl(QLatin1String(name))))
      option->Selected(on, false);
  ShowMultiColourPicture(on);
}

void CColorSelectWnd::ShowMultiColour(bool on) {
  if (CControlUI* option = FindControl(QLatin1String(kMultiColour)))
    option->SetEnabled(on);
  if (CControlUI* layout = FindControl(QLatin1String(kMultiColourLayout)))
    layout->SetVisible(on);
  if (!on)
    SetMultiColour(false);
}

void CColorSelectWnd::TakeColour(uint32_t argb) {
  currentColour_ = argb;
  const int place = swatches_.SelectedCollected();
  COptionUI* option = CollectedOption(place);
  if (option != nullptr && option->IsSelected()) {
    ShowCollectedColour(option, argb);
    swatches_.FillCollected(place, argb);
    swatches_.SaveCollected();
  }
  ShowPreview(argb);
  SetMultiColour(false);
  ShowChannels(argb);
}

void CColorSelectWnd::CommitChannels() {
  uint32_t argb = 0xFF000000u;
  writingChannels_ = true;
  for (int channel = 0; channel < 3; ++channel) {
    CEditUI* edit = ChannelEdit(channel);
    if (edit == nullptr)
      continue;
    // Digits only reach here; anything else counts as 0, and more than 255
    // as 255, so the alpha byte can never be touched.
    const QString text = edit->GetText().trimmed();
    bool ok = false;
    const qlonglong read = text.toLongLong(&ok);
    const int value = ok ? static_cast<int>(std::clamp<qlonglong>(read, 0, 255)) : 0;
    const QString shown = QString::asprintf("%d", value);
    if (edit->GetText() != shown)
      edit->SetText(shown);
    argb |= static_cast<uint32_t>(value) << (8 * (2 - channel));
  }
  writingChannels_ = false;
  channelsEdited_ = false;
  if (CColorPaletteUI* pallet = Pallet())
    pallet->SetSelectColor(argb);
  TakeColour(argb);
}

void CColorSelectWnd::ShowSwatchColour(uint32_t argb) {
  currentColour_ = argb;
  ShowPreview(argb);
  if (CColorPaletteUI* pallet = Pallet())
    pallet->SetSelectColor(argb);
  ShowChannels(argb);
  SetMultiColour(false);
}

void CColorSelectWnd::OnPresetSelected(int index) {
  COptionUI* option = PresetOption(index);
  if (option == nullptr)
    return;
  swatches_.SelectPreset(index);
  swatches_.SavePresets();
  ShowSwatchColour(ToArgb(option->GetBkColor()));
}

void CColorSelectWnd::OnCollectedSelected(int index) {
  COptionUI* option = CollectedOption(index);
  if (option == nullptr)
    return;
  swatches_.SelectCollected(index);
  // An empty place only becomes the place the next colour goes to.
  if (option->GetUserData() != QLatin1String("1"))
    return;
  swatches_.SaveCollected();
  ShowSwatchColour(ToArgb(option->GetBkColor()));
}

void CColorSelectWnd::OnOk() {
  // Numbers typed but not yet settled count.
  if (channelsEdited_)
    CommitChannels();
  if (Pallet() == nullptr) {
    Close(kResultNoPalette);
    return;
  }
  resultColour_ = GetResultColour();
  Close(kResultOk);
}

bool CColorSelectWnd::HandleNotify(TNotifyUI& msg) {
  if (msg.pSender == nullptr)
    return false;
  const QString name = msg.pSender->GetName();
  const QString& type = msg.sType;

  if (type == QLatin1String(DUI_MSGTYPE_COLORCHANGED) && name == QLatin1String(kPallet)) {
    // The palette tells once, when the button is released after a drag.
    const CColorPaletteUI* pallet = Pallet();
    TakeColour(pallet != nullptr ? pallet->GetSelectColor() : static_cast<uint32_t>(msg.wParam));
    return true;
  }

  if (IsChannelEdit(name)) {
    if (type == QLatin1String(DUI_MSGTYPE_TEXTCHANGED)) {
      if (!writingChannels_)
        channelsEdited_ = true;
      return true;
    }
    if (type == QLatin1String(DUI_MSGTYPE_RETURN) || type == QLatin1String(DUI_MSGTYPE_KILLFOCUS)) {
      // A dialog on its way out (cancelled) keeps nothing that was typed.
      if (channelsEdited_ && !IsDestroying())
        CommitChannels();
      return true;
    }
    return false;
  }

  const int preset = SwatchIndex(name, kPresetPrefix);
  const int collected = SwatchIndex(name, kCollectedPrefix);
  auto* option = qobject_cast<COptionUI*>(msg.pSender);

  if (type == QLatin1String(DUI_MSGTYPE_SELECTCHANGED) && option != nullptr) {
    if (preset >= 0) {
      if (option->IsSelected())
        OnPresetSelected(preset);
      return true;
    }
    if (collected >= 0) {
      if (option->IsSelected())
        OnCollectedSelected(collected);
      return true;
    }
    if (name == QLatin1String(kMultiColour)) {
      multiColour_ = option->IsSelected();
      if (auto* other = qobject_cast<COptionUI*>(FindControl(QLatin1String(kMultiColourCollect))))
        other->Selected(multiColour_, false);
      ShowMultiColourPicture(multiColour_);
      return true;
    }
    if (name == QLatin1String(kMultiColourCollect)) {
      SetMultiColour(option->IsSelected());
      return true;
    }
    return false;
  }

  if (type == QLatin1String(DUI_MSGTYPE_CLICK)) {
    if (name == QLatin1String("okbtn")) {
      OnOk();
    } else if (name == QLatin1String("closebtn") || name == QLatin1String("cancelbtn")) {
      Close(kResultClosed);
    } else if (name == QLatin1String("minbtn")) {
      SendMessage(platform::WM_SYSCOMMAND, platform::SC_MINIMIZE, 0);
    } else if (name == QLatin1String("maxbtn")) {
      SendMessage(platform::WM_SYSCOMMAND, platform::SC_MAXIMIZE, 0);
    } else if (name == QLatin1String("restorebtn")) {
      SendMessage(platform::WM_SYSCOMMAND, platform::SC_RESTORE, 0);
    } else if (option != nullptr && option->IsSelected() && (preset >= 0 || collected >= 0)) {
      // A click on the swatch that is selected already raises no selection
      // change; it shows that swatch's colour again all the same.
      if (preset >= 0)
        OnPresetSelected(preset);
      else
        OnCollectedSelected(collected);
    } else {
      return false;
    }
    return true;
  }
  return false;
}

LRESULT CColorSelectWnd::OnDestroy(WPARAM, LPARAM, bool& handled) {
  if (OpenDialog() == this)
    OpenDialog() = nullptr;
  handled = false;
  return 0;
}

LRESULT CColorSelectWnd::OnSysCommand(WPARAM wParam, LPARAM lParam, bool& /*handled*/) {
  if ((wParam & 0xFFF0) == platform::SC_CLOSE) {
    // The window system's close is a cancel.
    Close(kResultClosed);
    return 0;
  }
  const bool wasMaximized = isMaximized();
  const LRESULT result = CWindowWnd::HandleMessage(platform::WM_SYSCOMMAND, wParam, lParam);
  if (wasMaximized != isMaximized()) {
    if (CControlUI* max = FindControl(QStringLiteral("maxbtn")))
      max->SetVisible(!isMaximized());
    if (CControlUI* restore = FindControl(QStringLiteral("restorebtn")))
      restore->SetVisible(isMaximized());
  }
  return result;
}

void CColorSelectWnd::OnFinalMessage() {
  if (deleteWhenClosed_)
    deleteLater();
}
