#include "profiles/ProfileList.h"

#include <QDateTime>
#include <algorithm>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <set>

#include "platform/AtomicFileWriter.h"
#include "platform/DebugChannel.h"
#include "profiles/JsonValue.h"
#include "profiles/ProfileIds.h"

using jsonvalue::Element;
using jsonvalue::Member;
using jsonvalue::ReadIntIn;
using jsonvalue::ReadString;

namespace {

Json::Value EntryValue(const QString& name, const QString& id) {
  Json::Value entry(Json::objectValue);
  entry["profilename"] = name.toStdString();
  entry["profileUUID"] = id.toStdString();
  entry["profileislink"] = 0;
  entry["profilelinkmame"] = "";
  return entry;
}

}  // namespace

ProfileList::ProfileList(QString deviceFolder, QString templatePath, int deviceKind)
    : folder_(std::move(deviceFolder)), templatePath_(std::move(templatePath)), kind_(deviceKind) {
  if (!folder_.isEmpty() && !folder_.endsWith('/'))
    folder_ += '/';
}

QString ProfileList::FileOf(const QString& id) const {
  if (!IsPlainFileName(id))
    return {};
  return folder_ + id + ".Json";
}

QString ProfileList::PathAt(int index) const {
  if (index < 0 || index >= static_cast<int>(entries_.size()))
    return {};
  return FileOf(entries_[static_cast<size_t>(index)].id);
}

bool ProfileList::Parse(const Json::Value& list) {
  entries_.clear();
  bool whole = true;
  const Json::Value& profiles = Member(list, "profilelist");
  if (profiles.isArray()) {
    for (Json::ArrayIndex i = 0; i < profiles.size(); ++i) {
      const Json::Value& entry = Element(profiles, static_cast<int64_t>(i));
      const Json::Value& id = Member(entry, "profileUUID");
      if (!id.isString() || !IsPlainFileName(ReadString(id, {}))) {
        platform::DebugPrint("profile list entry %u has no usable id", i);
        whole = false;
      }
      entries_.push_back({ReadString(Member(entry, "profilename"), {}), ReadString(id, {})});
    }
  } else if (!profiles.isNull()) {
    platform::DebugPrint("profile list: \"profilelist\" is not an array");
    whole = false;
  }
  selected_ = ReadIntIn(Member(list, "profileselect"), 0, 0,
                        std::max(0, static_cast<int>(entries_.size()) - 1));
  selectedId_ = entries_.empty() ? QString() : entries_[static_cast<size_t>(selected_)].id;
  return whole;
}

void ProfileList::Read() {
  const QString path = folder_ + kListFile;
  document_ = json_.ReadJson(path);
  bool usable = document_.isObject();
  if (!usable)
    document_ = Json::Value(Json::objectValue);
  usable = Parse(document_) && usable;
  if (usable) {
    GiveRepeatedIdsTheirOwn();
    return;
  }
  // Whatever stands there (text that does not parse, a damaged list, a
  // link, which ReadJson does not follow) is kept for the user; nothing
  // there, or an empty file, is simply a list still to be made.
  const std::string name = QFile::encodeName(path).toStdString();
  if (!platform::AtomicFileWriter::HoldsSomething(name)) {
    entries_.clear();
    return;
  }
  platform::DebugPrint("profile list %s is damaged; rebuilding it from the profile files",
                       name.c_str());
  platform::AtomicFileWriter::SetAside(name);
  document_ = Json::Value(Json::objectValue);
  Recover();
}

void ProfileList::GiveRepeatedIdsTheirOwn() {
  std::set<QString> seen;
  bool changed = false;
  for (Entry& entry : entries_) {
    if (seen.insert(entry.id).second)
      continue;
    const QString id =
        MakeUniqueTimeStampId(folder_, [this](const QString& candidate) { return HasId(candidate); });
    if (id.isEmpty())
      continue;
    platform::DebugPrint("profile list: a second \"%s\" becomes \"%s\"",
                         entry.id.toUtf8().constData(), id.toUtf8().constData());
    // The copy goes before the list names it.
    const Json::Value document = json_.ReadJson(FileOf(entry.id));
    if (document.isObject())
      WriteProfileFile(document, entry.name, id);
    entry.id = id;
    changed = true;
  }
  if (!changed)
    return;
  selectedId_ = entries_[static_cast<size_t>(selected_)].id;
  Write();
}

bool ProfileList::HasId(const QString& id) const {
  return std::any_of(entries_.begin(), entries_.end(),
                     [&](const Entry& entry) { return entry.id == id; });
}

bool ProfileList::Write() {
  Json::Value list(Json::arrayValue);
  for (const Entry& entry : entries_)
    list.append(EntryValue(entry.name, entry.id));
  document_["profilelist"] = list;
  document_["profileselect"] = selected_;
  return json_.WriteJson(folder_ + kListFile, document_) == 0;
}

int ProfileList::Count() {
  Read();
  return static_cast<int>(entries_.size());
}

bool ProfileList::WriteProfileFile(Json::Value document, const QString& name, const QString& id) {
  const QString path = FileOf(id);
  if (path.isEmpty())
    return false;
  // A link standing under the profile's name is kept aside, not replaced.
  const std::string native = QFile::encodeName(path).toStdString();
  if (platform::AtomicFileWriter::IsLink(native) && platform::AtomicFileWriter::SetAside(native) != 0)
    return false;
  if (!document.isObject())
    document = Json::Value(Json::objectValue);
  document["profilename"] = name.toStdString();
  document["profileUUID"] = id.toStdString();
  return json_.WriteJson(path, document) == 0;
}

QString ProfileList::Append(const QString& name) {
  Read();
  const QString id =
      MakeUniqueTimeStampId(folder_, [this](const QString& candidate) { return HasId(candidate); });
  entries_.push_back({name, id});
  Write();
  return id;
}

void ProfileList::CreateFirstProfile() {
  entries_.clear();
  selected_ = 0;
  const QString id = MakeUniqueTimeStampId(folder_, [](const QString&) { return false; });
  entries_.push_back({QStringLiteral("Profile1"), id});
  Write();
  WriteProfileFile(json_.ReadJsonFollowingLinks(templatePath_), QStringLiteral("Profile1"), id);
  selectedId_ = id;
}

bool ProfileList::RebuildFromFiles() {
  // The profiles stay reachable even when their list is lost.
  const QFileInfoList files =
      QDir(folder_).entryInfoList({QStringLiteral("*.Json")}, QDir::Files, QDir::Name);
  entries_.clear();
  for (const QFileInfo& file : files) {
    const Json::Value document = json_.ReadJson(file.absoluteFilePath());
    const QString id = ReadString(Member(document, "profileUUID"), {});
    if (id != file.completeBaseName() || !IsPlainFileName(id))
      continue;
    QString name = ReadString(Member(document, "profilename"), {});
    if (name.trimmed().isEmpty())
      name = id;
    entries_.push_back({name, id});
  }
  if (entries_.empty())
    return false;
  platform::DebugPrint("profile list rebuilt from %zu profile files", entries_.size());
  selected_ = 0;
  Write();
  selectedId_ = entries_.front().id;
  return true;
}

void ProfileList::Recover() {
  if (!RebuildFromFiles())
    CreateFirstProfile();
}

void ProfileList::Init() {
  Read();
  if (entries_.empty())
    Recover();
}

void ProfileList::Select(int index) {
  Read();
  if (index < 0 || index >= static_cast<int>(entries_.size()))
    return;
  if (index == selected_)
    return;
  selected_ = index;
  selectedId_ = entries_[static_cast<size_t>(index)].id;
  Write();
}

bool ProfileList::IsNameTaken(const QString& name, int except) const {
  for (size_t i = 0; i < entries_.size(); ++i)
    if (static_cast<int>(i) != except &&
        entries_[i].name.compare(name, Qt::CaseInsensitive) == 0)
      return true;
  return false;
}

int ProfileList::New() {
  Read();
  if (static_cast<int>(entries_.size()) >= kMaxNewProfiles)
    return -1;
  QString name;
  for (int n = 1;; ++n) {
    name = QStringLiteral("profile%1").arg(n);
    if (!IsNameTaken(name))
      break;
  }
  const QString id = Append(name);
  WriteProfileFile(json_.ReadJsonFollowingLinks(templatePath_), name, id);
  return static_cast<int>(entries_.size()) - 1;
}

int ProfileList::Copy(int index) {
  Read();
  const QString source = PathAt(index);
  if (source.isEmpty())
    return -1;
  QString name = entries_[static_cast<size_t>(index)].name;
  do
    name = QStringLiteral("%1 copy").arg(name);
  while (IsNameTaken(name));
  const Json::Value document = json_.ReadJson(source);
  const QString id = Append(name);
  WriteProfileFile(document, name, id);
  return static_cast<int>(entries_.size()) - 1;
}

int ProfileList::Delete(int index) {
  Read();
  if (index < 0 || index >= static_cast<int>(entries_.size()) || entries_.size() < 2)
    return -1;
  const QString path = PathAt(index);
  entries_.erase(entries_.begin() + index);
  if (!path.isEmpty())
    QFile::remove(path);
  selected_ = index > 0 ? index - 1 : 0;
  selectedId_ = entries_[static_cast<size_t>(selected_)].id;
  Write();
  return selected_;
}

int ProfileList::Rename(int index, const QString& name) {
  Read();
  if (name.trimmed().isEmpty())
    return 2;
  if (IsNameTaken(name, index))
    return 0;
  if (index < 0 || index >= static_cast<int>(entries_.size()))
    return 0;
  entries_[static_cast<size_t>(index)].name = name;
  Write();
  const QString path = PathAt(index);
  if (!path.isEmpty()) {
    Json::Value document = json_.ReadJson(path);
    if (document.isObject()) {
      document["profilename"] = name.toStdString();
      json_.WriteJson(path, document);
    }
  }
  return 1;
}

int ProfileList::Import(const QString& path) {
  // A file the user picked: a link to it is what they meant.
  const Json::Value document = json_.ReadJsonFollowingLinks(path);
  if (Member(document, "profilename").isNull() || Member(document, "profileUUID").isNull())
    return -1;
  Read();
  const QString base = QFileInfo(path).completeBaseName();
  QString name = base;
  for (int counter = 1; IsNameTaken(name); ++counter)
    name = QStringLiteral("%1(%2)").arg(name).arg(counter);
  const QString id = Append(name);
  WriteProfileFile(document, name, id);
  return static_cast<int>(entries_.size()) - 1;
}

bool ProfileList::Export(int index, const QString& path) {
  Read();
  const QString source = PathAt(index);
  if (source.isEmpty() || path.isEmpty())
    return false;
  const Json::Value document = json_.ReadJson(source);
  if (document.isNull())
    return false;
  return json_.WriteUsersFile(path, document) == 0;
}

bool ProfileList::Reset(int index) {
  Read();
  const QString path = PathAt(index);
  if (path.isEmpty())
    return false;
  const Entry entry = entries_[static_cast<size_t>(index)];
  Json::Value fresh = json_.ReadJsonFollowingLinks(templatePath_);
  if (!fresh.isObject())
    fresh = Json::Value(Json::objectValue);
  if (kind_ == kHeadsetKind) {
    // The user's own equaliser presets survive a reset.
    const Json::Value old = json_.ReadJson(path);
    const Json::Value& oldSection = Element(Member(old, "Device"), 0);
    Json::Value& devices = fresh["Device"];
    if (devices.isArray() && devices.size() > 0 && devices[0].isObject() && oldSection.isObject())
      for (const char* key : {"CustomEQNameInfo", "CustomEQHzValueInfo"})
        if (oldSection.isMember(key))
          devices[0][key] = oldSection[key];
  }
  return WriteProfileFile(fresh, entry.name, entry.id);
}
