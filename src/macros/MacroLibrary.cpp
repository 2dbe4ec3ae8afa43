#include "macros/MacroLibrary.h"

#include <QFile>
#include <QFileInfo>

#include "keys/KeyTables.h"
#include "platform/AtomicFileWriter.h"
#include "profiles/ProfileIds.h"

namespace macros {

namespace {

bool Renumber(KeyFunctionRecord& record, const KeyFunctionRecord& fallback, int deleted) {
  if (!keys::IsMacro(record.Type) || record.Code1 < deleted)
    return false;
  if (record.Code1 == deleted) {
    const uint16_t index = record.KeyIndex;
    record = fallback;
    record.KeyIndex = index;
  } else {
    --record.Code1;
  }
  return true;
}

// The bytes of a file the user owns, read whole; nullopt when unreadable.
std::optional<QByteArray> ReadWhole(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    return std::nullopt;
  return file.readAll();
}

}  // namespace

MacroLibrary::MacroLibrary(QString folder) : folder_(std::move(folder)) { Reload(); }

void MacroLibrary::SetFolder(QString folder) {
  folder_ = std::move(folder);
  Reload();
}

void MacroLibrary::Reload() { entries_ = folder_.isEmpty() ? std::vector<MacroListEntry>{} : ReadMacroList(ListPath()); }

std::vector<std::string> MacroLibrary::Names() const {
  std::vector<std::string> names;
  for (const MacroListEntry& entry : entries_)
    names.push_back(entry.Name);
  return names;
}

std::optional<size_t> MacroLibrary::Append(const std::string& name, const QDateTime& now) {
  if (folder_.isEmpty() || entries_.size() >= kMaxMacros)
    return std::nullopt;
  const QString id = MakeUniqueTimeStampId(
      folder_,
      [this](const QString& candidate) {
        for (const MacroListEntry& entry : entries_)
          if (QString::fromStdString(entry.Guid) == candidate)
            return true;
        return false;
      },
      QStringLiteral(".mac"), now);
  if (id.isEmpty())
    return std::nullopt;
  std::vector<MacroListEntry> entries = entries_;
  entries.push_back({name, id.toStdString()});
  if (WriteMacroList(ListPath(), entries) != 0)
    return std::nullopt;
  entries_ = std::move(entries);
  return entries_.size() - 1;
}

std::optional<size_t> MacroLibrary::Create(const QDateTime& now) { return Append(NewMacroName(Names()), now); }

MacroLibrary::Rename MacroLibrary::RenameMacro(size_t index, const std::string& name) {
  if (index >= entries_.size())
    return Rename::Ignored;
  const QString trimmed = QString::fromStdString(name).trimmed();
  if (trimmed.isEmpty())
    return Rename::Ignored;
  for (const MacroListEntry& entry : entries_)
    if (QString::fromStdString(entry.Name).compare(trimmed, Qt::CaseInsensitive) == 0)
      return Rename::Duplicate;
  std::vector<MacroListEntry> entries = entries_;
  entries[index].Name = trimmed.toStdString();
  if (WriteMacroList(ListPath(), entries) != 0)
    return Rename::Failed;
  entries_ = std::move(entries);
  return Rename::Done;
}

std::optional<size_t> MacroLibrary::Import(const QString& path, const QDateTime& now) {
  if (path.isEmpty() || entries_.size() >= kMaxMacros)
    return std::nullopt;
  const std::optional<QByteArray> bytes = ReadWhole(path);
  if (!bytes)
    return std::nullopt;
  const std::string name = ImportedMacroName(QFileInfo(path).completeBaseName().toStdString(), Names());
  const std::optional<size_t> index = Append(name, now);
  if (!index)
    return std::nullopt;
  if (!platform::AtomicFileWriter().Write(FileOf(*index).toStdString(),
                                          std::string_view(bytes->constData(), static_cast<size_t>(bytes->size())))) {
    // The entry without its events is taken back.
    Remove(*index);
    return std::nullopt;
  }
  return index;
}

bool MacroLibrary::Export(size_t index, const QString& path) const {
  if (index >= entries_.size() || path.isEmpty())
    return false;
  const std::optional<QByteArray> bytes = ReadWhole(FileOf(index));
  if (!bytes)
    return false;
  return static_cast<bool>(platform::AtomicFileWriter().Write(
      path.toStdString(), std::string_view(bytes->constData(), static_cast<size_t>(bytes->size()))));
}

bool MacroLibrary::Remove(size_t index) {
  if (index >= entries_.size())
    return false;
  std::vector<MacroListEntry> entries = entries_;
  const QString file = FileOf(index);
  entries.erase(entries.begin() + static_cast<long>(index));
  if (WriteMacroList(ListPath(), entries) != 0)
    return false;
  entries_ = std::move(entries);
  if (!file.isEmpty())
    QFile::remove(file);
  return true;
}

QString MacroLibrary::FileOf(size_t index) const {
  return index < entries_.size() ? MacroFilePath(folder_, entries_[index].Guid) : QString();
}

MacroDocument MacroLibrary::Load(size_t index) const { return ReadMacroFile(FileOf(index)); }

int MacroLibrary::Save(size_t index, const std::vector<MacroEvent>& events) const {
  if (index >= entries_.size())
    return -1;
  return WriteMacroFile(FileOf(index), {entries_[index].Name, entries_[index].Guid, events});
}

bool RefersToMacro(const std::vector<KeyListEntry>& keys, int index) {
  for (const KeyListEntry& entry : keys)
    for (const KeyFunctionRecord* record : {&entry.Normal, &entry.Fn})
      if (keys::IsMacro(record->Type) && record->Code1 == index)
        return true;
  return false;
}

bool RenumberAfterDelete(std::vector<KeyListEntry>& keys, int deleted) {
  bool changed = false;
  for (KeyListEntry& entry : keys) {
    changed = Renumber(entry.Normal, entry.Default, deleted) || changed;
    changed = Renumber(entry.Fn, entry.Default, deleted) || changed;
  }
  return changed;
}

}  // namespace macros
