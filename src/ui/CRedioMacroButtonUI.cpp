#include "ui/CRedioMacroButtonUI.h"

#include "toolkit/CPaintManagerUI.h"
#include "toolkit/SkinButton.h"

using namespace toolkit;

CRedioMacroButtonUI::CRedioMacroButtonUI(QWidget* parent) : CButtonUI(parent) {}

void CRedioMacroButtonUI::StartTimer() {
  if (GetManager() != nullptr)
    GetManager()->SetTimer(this, kPulseTimerId, kPulseIntervalMs);
}

void CRedioMacroButtonUI::SetPulsing(bool pulsing) {
  if (pulsing_ == pulsing)
    return;
  pulsing_ = pulsing;
  if (pulsing_) {
    restingImage_ = GetNormalImage();
    fade_ = kFadeLow;
    rising_ = true;
    StartTimer();
  } else {
    if (GetManager() != nullptr)
      GetManager()->KillTimer(this, kPulseTimerId);
    SetStateImage(SkinButton::Normal, restingImage_);
  }
}

void CRedioMacroButtonUI::Step() {
  if (rising_) {
    fade_ += kFadeStep;
    if (fade_ > kFadeHigh - 1) {
      fade_ = kFadeHigh;
      rising_ = false;
    }
  } else {
    fade_ -= kFadeStep;
    if (fade_ <= kFadeLow) {
      fade_ = kFadeLow;
      rising_ = true;
    }
  }
  if (!redioImage_.isEmpty())
    SetStateImage(SkinButton::Normal,
                  QStringLiteral("res='%1' ").arg(redioImage_) + QStringLiteral("fade='%1'").arg(fade_));
}

void CRedioMacroButtonUI::DoInit() {
  CButtonUI::DoInit();
  // Pulsing switched on before the button had a window.
  if (pulsing_)
    StartTimer();
}

void CRedioMacroButtonUI::DoTimer(UINT id) {
  if (id == kPulseTimerId && pulsing_) {
    Step();
    return;
  }
  CButtonUI::DoTimer(id);
}

bool CRedioMacroButtonUI::SetAttribute(const QString& name, const QString& value) {
  if (name == "redioimage") {
    if (value.contains('\''))
      return false;
    SetRedioImage(value.trimmed());
    return true;
  }
  return CButtonUI::SetAttribute(name, value);
}
