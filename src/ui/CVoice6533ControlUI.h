#pragma once

#include <QString>
#include <QStringList>

#include "toolkit/CVerticalLayoutUI.h"

// The headset's audio panel: the ten-band equaliser with its twelve presets
// and the user's named curves, the microphone switch and volume, and the
// microphone monitoring switch and volume. It shows what the headset page
// gives it and reads its controls back; the page acts on the changes (the
// main window routes them). A control the skin lacks makes its operation do
// nothing and its getter answer -1.
class CVoice6533ControlUI : public toolkit::CVerticalLayoutUI {
  Q_OBJECT
 public:
  static constexpr int kBands = 10;
  static constexpr int kCustomEqType = 13;

  explicit CVoice6533ControlUI(QWidget* parent = nullptr);
  ~CVoice6533ControlUI() override;
  QString GetClass() const override { return QStringLiteral("Voice6533Control"); }

  void SetDeviceKind(int kind) { kind_ = kind; }
  int GetDeviceKind() const { return kind_; }

  // Selects equaliser option `type` (1..13) alone; any other value none.
  void ShowEqType(int type);
  void SetBand(int band, int value);
  // -1 when the band's slider is missing.
  int GetBand(int band) const;
  void EnableCustomArea(bool enabled);

  // The custom curves by name.
  void AddCustomName(const QString& name);
  void RemoveCustomNameAt(int index);
  void RemoveAllCustomNames();
  // Also clears the name edit; -1 selects none.
  void SelectCustomIndex(int index);
  int GetCustomSelection() const;
  int GetCustomCount() const;
  QStringList GetCustomNames() const;
  QString GetNameEditText() const;
  void ClearNameEdit();

  void ShowMicrophone(bool on, int value);
  void ShowMonitor(bool on, int value);
  bool IsMicrophoneOn() const;
  bool IsMonitorOn() const;
  // -1 when the slider is missing.
  int GetMicrophoneValue() const;
  int GetMonitorValue() const;

 private:
  template <typename T>
  T* Sub(const QString& name) const;

  int kind_ = 7;
};
