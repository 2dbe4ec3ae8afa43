#pragma once

#include "toolkit/CEditUI.h"

namespace toolkit {

// An edit that can also hold several lines ("multiline").
class CRichEditUI : public CEditUI {
  Q_OBJECT
 public:
  explicit CRichEditUI(QWidget* parent = nullptr) : CEditUI(parent) {}
  QString GetClass() const override { return QStringLiteral("RichEditUI"); }
  bool SetAttribute(const QString& name, const QString& value) override;
};

}  // namespace toolkit
