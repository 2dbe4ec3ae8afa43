#pragma once

#include <QColor>
#include <QList>

#include "toolkit/CControlUI.h"
#include "toolkit/SkinImage.h"

// A small chart of named values, drawn as a pie ("view" = "pie") or as
// pillars side by side ("view" = "histpgram"). "shadowimage" is drawn under
// the chart, "pillarimage" stretched over every pillar (else the item's
// colour fills it), and "showtext" writes the names and values in the
// control's "font".
class CChartViewUI : public toolkit::CControlUI {
  Q_OBJECT
 public:
  enum class View { Pie, Histogram };
  struct Item {
    QString name;
    double value = 0;
    QColor colour;
  };

  explicit CChartViewUI(QWidget* parent = nullptr);
  QString GetClass() const override { return QStringLiteral("ChartView"); }

  void AddItem(const QString& name, double value, const QColor& colour);
  void RemoveItemAt(int index);
  void RemoveAllItems();
  int GetItemCount() const { return static_cast<int>(items_.size()); }
  const QList<Item>& GetItems() const { return items_; }

  View GetView() const { return view_; }
  void SetView(View view);
  bool SetShadowImage(const QString& image);
  bool SetPillarImage(const QString& image);
  bool IsShowText() const { return showText_; }
  void SetShowText(bool show);
  // The value a full-height pillar stands for; 0: the highest item's value.
  double GetScaleMax() const { return scaleMax_; }
  void SetScaleMax(double max);

  // Where the pie is drawn: the largest square centred in the control.
  QRect PieRect() const;
  // Where pillar `index` is drawn; empty for an index out of range.
  QRect PillarRect(int index) const;

  bool SetAttribute(const QString& name, const QString& value) override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QRect ChartArea() const;
  int TextHeight() const;
  void PaintPie(QPainter& painter);
  void PaintHistogram(QPainter& painter);

  QList<Item> items_;
  View view_ = View::Pie;
  toolkit::SkinImage shadowImage_;
  toolkit::SkinImage pillarImage_;
  bool showText_ = false;
  double scaleMax_ = 0;
};
