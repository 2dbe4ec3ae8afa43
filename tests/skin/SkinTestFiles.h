#pragma once

#include <QDirIterator>
#include <QFile>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QXmlStreamReader>

// The files of the shipped skin, for the tests that check them.
namespace skin_test {

inline const QString kSourceDir = TRAVIX_SOURCE_DIR;
inline const QString kSkinDir = kSourceDir + "/skin";

// Files below `dir` matching `patterns`, sorted.
inline QStringList ListFiles(const QString& dir, const QStringList& patterns) {
  QStringList files;
  QDirIterator it(dir, patterns, QDir::Files, QDirIterator::Subdirectories);
  while (it.hasNext())
    files << it.next();
  files.sort();
  return files;
}

inline QStringList ListSkinFiles() { return ListFiles(kSkinDir, {"*.xml"}); }

// The name of a file's root element ("Window", "Language", ...).
inline QString RootElement(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    return {};
  QXmlStreamReader xml(&file);
  return xml.readNextStartElement() ? xml.name().toString() : QString();
}

// The ids of a language file.
inline QSet<QString> TextIds(const QString& path) {
  QSet<QString> ids;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    return ids;
  QXmlStreamReader xml(&file);
  while (!xml.atEnd())
    if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("Text"))
      ids.insert(xml.attributes().value("id").toString());
  return ids;
}

}  // namespace skin_test
