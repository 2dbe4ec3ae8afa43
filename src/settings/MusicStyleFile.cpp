#include "settings/MusicStyleFile.h"

#include "platform/DataFolders.h"
#include "platform/DebugChannel.h"
#include "profiles/JsonFile.h"
#include "profiles/JsonValue.h"

using namespace jsonvalue;

namespace {

constexpr const char* kInfo = "AudioLightInfo";
constexpr const char* kSelectedGroup = "nAudioStyle";
constexpr const char* kNameKeys[MusicStyle::kGroupCount] = {"nStyleName1", "nStyleName2",
                                                            "nStyleName3", "nStyleName4"};
constexpr const char* kRedKeys[MusicStyle::kGroupCount] = {"nStyleR0", "nStyleR1", "nStyleR2",
                                                           "nStyleR3"};
constexpr const char* kGreenKeys[MusicStyle::kGroupCount] = {"nStyleG0", "nStyleG1", "nStyleG2",
                                                             "nStyleG3"};
constexpr const char* kBlueKeys[MusicStyle::kGroupCount] = {"nStyleB0", "nStyleB1", "nStyleB2",
                                                            "nStyleB3"};

bool IsGroup(int group) { return group >= 0 && group < MusicStyle::kGroupCount; }

uint8_t ReadChannel(const Json::Value& info, const char* key) {
  return static_cast<uint8_t>(ReadIntIn(Member(info, key), 0, 0, 255));
}

void PutLittleEndian(std::array<uint8_t, MusicStyleFile::kRecorderRecordSize>& record, int at,
                     uint32_t value) {
  for (int i = 0; i < 4; ++i)
    record[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace

QString MusicStyleFile::UserFilePath() {
  return platform::DataFolders::UserDataDir() + QLatin1String(kFileName);
}

QString MusicStyleFile::DefaultGroupName(int group) {
  switch (group) {
    case 0:
      return QStringLiteral("第一组");
    case 1:
      return QStringLiteral("第二组");
    case 2:
      return QStringLiteral("第三组");
    case 3:
      return QStringLiteral("第四组");
    default:
      return QString();
  }
}

QString MusicStyleFile::NameOrDefault(int group, const QString& name) {
  return name.trimmed().isEmpty() ? DefaultGroupName(group) : name;
}

MusicStyle MusicStyleFile::DefaultStyle() {
  MusicStyle style;
  for (int group = 0; group < MusicStyle::kGroupCount; ++group)
    style.names[group] = DefaultGroupName(group);
  return style;
}

MusicStyle MusicStyleFile::Load(const QString& path) {
  MusicStyle style = DefaultStyle();
  const Json::Value document = JsonFile().ReadJson(path);
  const Json::Value& info = Member(document, kInfo);
  if (!info.isObject())
    return style;
  style.nAudioStyle = ReadIntIn(Member(info, kSelectedGroup), 0, 0, MusicStyle::kGroupCount - 1);
  for (int group = 0; group < MusicStyle::kGroupCount; ++group) {
    style.names[group] = NameOrDefault(group, ReadString(Member(info, kNameKeys[group])));
    MusicGroupColour& colour = style.colours[group];
    colour.red = ReadChannel(info, kRedKeys[group]);
    colour.green = ReadChannel(info, kGreenKeys[group]);
    colour.blue = ReadChannel(info, kBlueKeys[group]);
  }
  return style;
}

bool MusicStyleFile::Save(const QString& path, const MusicStyle& style) {
  if (path.isEmpty())
    return false;
  JsonFile file;
  Json::Value document = file.ReadJson(path);
  Json::Value& info = ObjectMember(document, kInfo);
  ObjectMember(info, kSelectedGroup) = IsGroup(style.nAudioStyle) ? style.nAudioStyle : 0;
  for (int group = 0; group < MusicStyle::kGroupCount; ++group) {
    ObjectMember(info, kNameKeys[group]) =
        NameOrDefault(group, style.names[group]).toStdString();
    const MusicGroupColour& colour = style.colours[group];
    ObjectMember(info, kRedKeys[group]) = colour.red;
    ObjectMember(info, kGreenKeys[group]) = colour.green;
    ObjectMember(info, kBlueKeys[group]) = colour.blue;
  }
  if (file.WriteJson(path, document) == 0)
    return true;
  platform::DebugPrint("music styles: %s could not be written", path.toUtf8().constData());
  return false;
}

std::array<uint8_t, MusicStyleFile::kRecorderRecordSize> MusicStyleFile::RecorderColourRecord(
    const MusicStyle& style) {
  const int group = IsGroup(style.nAudioStyle) ? style.nAudioStyle : 0;
  const MusicGroupColour& colour = style.colours[group];
  std::array<uint8_t, kRecorderRecordSize> record{};
  PutLittleEndian(record, 0, colour.red);
  // The recorder is never sent a green of 0.
  PutLittleEndian(record, 4, colour.green == 0 ? 1u : colour.green);
  PutLittleEndian(record, 8, colour.blue);
  return record;
}
