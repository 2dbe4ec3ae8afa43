#pragma once

#include "toolkit/CVerticalLayoutUI.h"

// The headset's voice-changer panel: a switch and four voices. The voices'
// area is enabled only while the switch is on.
class CMagicControlUI : public toolkit::CVerticalLayoutUI {
  Q_OBJECT
 public:
  static constexpr int kVoices = 4;

  explicit CMagicControlUI(QWidget* parent = nullptr);
  ~CMagicControlUI() override;
  QString GetClass() const override { return QStringLiteral("MagicControl"); }

  void SetDeviceKind(int kind) { kind_ = kind; }
  int GetDeviceKind() const { return kind_; }

  // The switch, and the voices' area enabled with it.
  void ShowEnabled(bool on);
  bool IsEnabledShown() const;
  // Selects voice `voice` (1..4) alone; any other value none.
  void ShowVoice(int voice);

 private:
  int kind_ = 7;
};
