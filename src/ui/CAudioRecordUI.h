#pragma once

#include "ui/CChartViewUI.h"

// The level display of a recording: the latest levels as pillars, oldest on
// the left. Keeps at most "maxcount" levels (default 32), drawn in
// "levelcolor".
class CAudioRecordUI : public CChartViewUI {
  Q_OBJECT
 public:
  static constexpr int kDefaultMaxCount = 32;

  explicit CAudioRecordUI(QWidget* parent = nullptr);
  QString GetClass() const override { return QStringLiteral("AudioRecord"); }

  // Appends a level (0..100, clamped), dropping the oldest beyond the limit.
  void AddLevel(int level);
  void ClearLevels() { RemoveAllItems(); }
  int GetMaxCount() const { return maxCount_; }
  void SetMaxCount(int count);
  QColor GetLevelColor() const { return levelColour_; }
  void SetLevelColor(const QColor& colour) { levelColour_ = colour; }

  bool SetAttribute(const QString& name, const QString& value) override;

 private:
  int maxCount_ = kDefaultMaxCount;
  QColor levelColour_ = QColor(0x2E, 0xCC, 0x71);
};
