#include "ui/CShootControlUI.h"

#include <algorithm>

#include "toolkit/CEditUI.h"
#include "toolkit/COptionUI.h"
#include "toolkit/CResourceManager.h"
#include "toolkit/CTabLayoutUI.h"

using namespace toolkit;

namespace {

// The wait after a bullet is a 16-bit number of milliseconds on the mouse.
constexpr int kMaxDelay = 65535;

// The number an edit holds: its leading decimal number (after blanks and a
// sign), 0 when there is none, held to 0 ... max.
int LeadingNumber(const QString& text, int max) {
  const QString trimmed = text.trimmed();
  qsizetype i = 0;
  bool negative = false;
  if (i < trimmed.size() && (trimmed[i] == QLatin1Char('-') || trimmed[i] == QLatin1Char('+')))
    negative = trimmed[i++] == QLatin1Char('-');
  long long value = 0;
  for (; i < trimmed.size() && trimmed[i] >= QLatin1Char('0') && trimmed[i] <= QLatin1Char('9'); ++i)
    value = std::min<long long>(value * 10 + (trimmed[i].unicode() - '0'), max + 1LL);
  if (negative)
    return 0;
  return static_cast<int>(std::min<long long>(value, max));
}

// Shows the language text `id` on a control, whether the control looks its
// text up itself or shows what it is given.
void ShowTextId(CControlUI* control, const char* id) {
  if (control == nullptr)
    return;
  control->SetText(control->IsResourceText()
                       ? QLatin1String(id)
                       : CResourceManager::GetInstance()->GetText(QLatin1String(id)));
}

}  // namespace

CShootControlUI::CShootControlUI(QWidget* parent) : CVerticalLayoutUI(parent) {}

CShootControlUI::~CShootControlUI() = default;

bool CShootControlUI::FindControls() {
  bool all = true;
  auto find = [&]<typename T>(QPointer<T>& slot, const QString& name) {
    slot = findChild<T*>(name);
    all = all && slot != nullptr;
  };
  for (int gun = 0; gun < recoil::kGunCount; ++gun)
    find(controls_.guns[gun], QStringLiteral("shoot_gun_op_%1").arg(gun));
  find(controls_.pictures, QStringLiteral("shoot_image_display_switch"));
  for (int bullet = 0; bullet < recoil::kBulletCount; ++bullet)
    find(controls_.bullets[bullet], QStringLiteral("bullet_op_%1").arg(bullet));
  find(controls_.bulletNumber, QStringLiteral("bullet_select_index"));
  find(controls_.previous, QStringLiteral("bullet_selected_prev"));
  find(controls_.next, QStringLiteral("bullet_selected_next"));
  find(controls_.horizontalDirection, QStringLiteral("bullet_x_check"));
  find(controls_.verticalDirection, QStringLiteral("bullet_y_check"));
  find(controls_.horizontalDistance, QStringLiteral("bullet_x_eidt"));
  find(controls_.verticalDistance, QStringLiteral("bullet_y_eidt"));
  find(controls_.delay, QStringLiteral("bullet_delay_eidt"));
  find(controls_.editor, QStringLiteral("bullet_edit_layout"));
  find(controls_.saveButton, QStringLiteral("shootdate_save_btn"));
  find(controls_.resetButton, QStringLiteral("shootdate_reset_btn"));
  find(controls_.importButton, QStringLiteral("shootdate_import_btn"));
  find(controls_.exportButton, QStringLiteral("shootdate_export_btn"));
  return all;
}

void CShootControlUI::DoInit() {
  FindControls();
  // Enter settles a value as leaving the edit does.
  for (CEditUI* edit : {controls_.horizontalDistance.data(), controls_.verticalDistance.data(),
                        controls_.delay.data()})
    if (edit != nullptr)
      edit->SetLeaveOnReturn(true);
  // Each mouse page has its own panel in the one window: its guns and
  // bullets are groups of their own.
  COptionUI::MakeGroupsOwnedBy(this);
  // No bullet to edit yet.
  if (controls_.editor != nullptr)
    controls_.editor->SetEnabled(selectedBullet_ >= 0);
}

void CShootControlUI::InitRecoilPanel(const QString& deviceFolder, const QString& factoryFolder) {
  allControlsFound_ = FindControls();
  files_ = recoil::RecoilPatternFiles(deviceFolder, factoryFolder);
  filesReady_ = true;
  for (int gun = 0; gun < recoil::kGunCount; ++gun)
    files_.EnsureGunFile(gun);
  SelectGun(0);
  SelectBullet(0);
}

void CShootControlUI::SelectGun(int n) {
  selectedGun_ = std::clamp(n, 0, recoil::kGunCount - 1);
  for (int gun = 0; gun < recoil::kGunCount; ++gun)
    if (controls_.guns[gun] != nullptr)
      controls_.guns[gun]->Selected(gun == selectedGun_, false);
  if (controls_.pictures != nullptr)
    controls_.pictures->SelectItem(selectedGun_);
  LoadBullet();
}

void CShootControlUI::SelectBullet(int n) {
  selectedBullet_ = std::clamp(n, 0, recoil::kBulletCount - 1);
  for (int bullet = 0; bullet < recoil::kBulletCount; ++bullet)
    if (controls_.bullets[bullet] != nullptr)
      controls_.bullets[bullet]->Selected(bullet == selectedBullet_, false);
  if (controls_.bulletNumber != nullptr)
    controls_.bulletNumber->SetText(QString::number(selectedBullet_ + 1));
  if (controls_.editor != nullptr)
    controls_.editor->SetEnabled(true);
  LoadBullet();
}

void CShootControlUI::SelectPrevious() { SelectBullet(selectedBullet_ - 1); }

void CShootControlUI::SelectNext() { SelectBullet(selectedBullet_ + 1); }

void CShootControlUI::LoadBullet() {
  if (selectedBullet_ < 0 || !filesReady_)
    return;
  // A file that is no pattern (damaged since the start) shows a still
  // bullet rather than the one shown before.
  const recoil::Bullet value =
      files_.ReadBullet(selectedGun_, selectedBullet_).value_or(recoil::Bullet{});
  ShowDirections(value.left, value.up);
  if (controls_.horizontalDistance != nullptr)
    controls_.horizontalDistance->SetText(QString::asprintf("%d", value.horizontal));
  if (controls_.verticalDistance != nullptr)
    controls_.verticalDistance->SetText(QString::asprintf("%d", value.vertical));
  if (controls_.delay != nullptr)
    controls_.delay->SetText(QString::asprintf("%d", value.delay));
}

bool CShootControlUI::SaveBullet() {
  if (selectedBullet_ < 0 || !filesReady_)
    return false;
  // What the skin has no control for keeps its value in the file.
  recoil::Bullet value =
      files_.ReadBullet(selectedGun_, selectedBullet_).value_or(recoil::Bullet{});
  auto take = [](CEditUI* edit, int max, int& field) {
    if (edit == nullptr)
      return;
    const QString text = edit->GetText();
    field = LeadingNumber(text, max);
    const QString shown = QString::asprintf("%d", field);
    if (text != shown)
      edit->SetText(shown);
  };
  take(controls_.horizontalDistance, recoil::kMaxDistance, value.horizontal);
  take(controls_.verticalDistance, recoil::kMaxDistance, value.vertical);
  take(controls_.delay, kMaxDelay, value.delay);
  if (controls_.horizontalDirection != nullptr)
    value.left = controls_.horizontalDirection->IsSelected();
  if (controls_.verticalDirection != nullptr)
    value.up = controls_.verticalDirection->IsSelected();
  return files_.WriteBullet(selectedGun_, selectedBullet_, value);
}

void CShootControlUI::OnDirectionToggled(const QString& optionName) {
  if (optionName.compare(QLatin1String("bullet_x_check"), Qt::CaseInsensitive) == 0)
    NameHorizontalDirection();
  else if (optionName.compare(QLatin1String("bullet_y_check"), Qt::CaseInsensitive) == 0)
    NameVerticalDirection();
}

void CShootControlUI::ShowDirections(bool left, bool up) {
  if (controls_.horizontalDirection != nullptr)
    controls_.horizontalDirection->Selected(left, false);
  if (controls_.verticalDirection != nullptr)
    controls_.verticalDirection->Selected(up, false);
  NameHorizontalDirection();
  NameVerticalDirection();
}

void CShootControlUI::NameHorizontalDirection() {
  COptionUI* option = controls_.horizontalDirection;
  if (option != nullptr)
    ShowTextId(option, option->IsSelected() ? "mouse_move_to_left_text" : "mouse_move_to_right_text");
}

void CShootControlUI::NameVerticalDirection() {
  COptionUI* option = controls_.verticalDirection;
  if (option != nullptr)
    ShowTextId(option, option->IsSelected() ? "mouse_move_to_up_text" : "mouse_move_to_down_text");
}

bool CShootControlUI::ResetGun() {
  if (!filesReady_ || !files_.ResetGun(selectedGun_))
    return false;
  LoadBullet();
  return true;
}

recoil::RecoilPatternFiles::ImportResult CShootControlUI::ImportGun(const QString& path) {
  using Result = recoil::RecoilPatternFiles::ImportResult;
  if (!filesReady_)
    return Result::WriteFailed;
  const Result result = files_.ImportGun(selectedGun_, path);
  if (result == Result::Imported)
    LoadBullet();
  return result;
}

bool CShootControlUI::ExportGun(const QString& path) const {
  return filesReady_ && files_.ExportGun(selectedGun_, path);
}
