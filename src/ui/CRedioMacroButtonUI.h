#pragma once

#include "toolkit/CButtonUI.h"

// The macro recording button: while pulsing, its normal image is the picture
// "redioimage" whose fade swings between 80 and 255 in steps of 20, one step
// every 50 ms, driven by a control timer (id 100) of its window.
class CRedioMacroButtonUI : public toolkit::CButtonUI {
  Q_OBJECT
 public:
  static constexpr toolkit::UINT kPulseTimerId = 100;
  static constexpr toolkit::UINT kPulseIntervalMs = 50;
  static constexpr int kFadeLow = 80;
  static constexpr int kFadeHigh = 255;
  static constexpr int kFadeStep = 20;

  explicit CRedioMacroButtonUI(QWidget* parent = nullptr);
  QString GetClass() const override { return QStringLiteral("RedioMacroButton"); }

  void SetRedioImage(const QString& image) { redioImage_ = image; }
  QString GetRedioImage() const { return redioImage_; }

  // Starts the pulse from the lowest fade, or stops it and gives the button
  // back the normal image it had before.
  void SetPulsing(bool pulsing);
  bool IsPulsing() const { return pulsing_; }
  int GetFade() const { return fade_; }
  // One step of the pulse: moves the fade and shows it.
  void Step();

  void DoInit() override;
  void DoTimer(toolkit::UINT id) override;
  bool SetAttribute(const QString& name, const QString& value) override;

 private:
  void StartTimer();

  QString redioImage_;
  QString restingImage_;
  bool pulsing_ = false;
  bool rising_ = true;
  int fade_ = kFadeLow;
};
