#pragma once

#include <QString>
#include <QStringList>

class QXmlStreamReader;

namespace toolkit {

class CControlUI;
class CPaintManagerUI;

// Lets a window create the program's own controls for tags the toolkit does
// not know.
class IDialogBuilderCallback {
 public:
  virtual ~IDialogBuilderCallback() = default;
  virtual CControlUI* CreateControl(const QString& tag) = 0;
};

// Builds a control tree from a skin layout (format: docs/skin-format.md).
// Tags are looked up among the toolkit's controls, then the callback, then the
// control factory. Problems (unknown tags or attributes, bad values, missing
// includes, broken XML) are collected in Errors() and written to the debug
// channel; the rest of the layout is still built.
class CDialogBuilder {
 public:
  // `xml`: a name of the resource index ("XML_MAIN"), a file under the
  // resource path, or the XML text itself. With a `parent` (a container or
  // combo) the built control is added to it. Returns the root control, or null.
  CControlUI* Create(const QString& xml, const QString& type = {},
                     IDialogBuilderCallback* callback = nullptr,
                     CPaintManagerUI* manager = nullptr, CControlUI* parent = nullptr);

  const QStringList& Errors() const { return errors_; }

  // A control of the toolkit's own tags, or null.
  static CControlUI* CreateBuiltinControl(const QString& tag);

 private:
  CControlUI* ParseDocument(const QByteArray& data, const QString& source, CControlUI* parent,
                            int depth);
  CControlUI* ParseControl(QXmlStreamReader& xml, const QString& source, CControlUI* parent,
                           int depth);
  void ParseWindowAttributes(QXmlStreamReader& xml, const QString& source);
  void ParseFont(QXmlStreamReader& xml, const QString& source);
  void ParseDefault(QXmlStreamReader& xml, const QString& source);
  bool AddToParent(CControlUI* parent, CControlUI* child, const QString& where);
  void Error(const QString& source, const QXmlStreamReader& xml, const QString& what);

  IDialogBuilderCallback* callback_ = nullptr;
  CPaintManagerUI* manager_ = nullptr;
  QStringList errors_;
};

}  // namespace toolkit
