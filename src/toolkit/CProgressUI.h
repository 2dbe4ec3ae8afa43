#pragma once

#include "toolkit/CControlUI.h"

class QProgressBar;

namespace toolkit {

class CProgressUI : public CControlUI {
  Q_OBJECT
 public:
  explicit CProgressUI(QWidget* parent = nullptr);
  QString GetClass() const override { return QStringLiteral("ProgressUI"); }

  int GetMinValue() const;
  int GetMaxValue() const;
  int GetValue() const;
  void SetMinValue(int min);
  void SetMaxValue(int max);
  void SetValue(int value);
  bool IsHorizontal() const;
  void SetHorizontal(bool horizontal);

  bool SetAttribute(const QString& name, const QString& value) override;

 private:
  void UpdateStyleSheet();
  QProgressBar* bar_;
  QColor foreColor_;
  QString foreImage_;
};

}  // namespace toolkit
