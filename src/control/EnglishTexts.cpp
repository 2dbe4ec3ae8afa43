#include "control/EnglishTexts.h"

#include <QFile>
#include <QHash>
#include <QXmlStreamReader>

#include "platform/DataFolders.h"

namespace control {

namespace {

QHash<QString, QString> ReadEnglishTexts() {
  QHash<QString, QString> texts;
  QFile file(platform::DataFolders::ProgramDir() + QStringLiteral("skin/lan_en.xml"));
  if (!file.open(QIODevice::ReadOnly))
    return texts;
  QXmlStreamReader xml(&file);
  while (!xml.atEnd())
    if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("Text"))
      texts.insert(xml.attributes().value(QLatin1String("id")).toString(),
                   xml.attributes().value(QLatin1String("value")).toString());
  return texts;
}

}  // namespace

QString EnglishText(const std::string& id) {
  // Read once; the file is the product's and does not change while we run.
  static const QHash<QString, QString> texts = ReadEnglishTexts();
  const QString key = QString::fromStdString(id);
  return texts.value(key, key);
}

}  // namespace control
