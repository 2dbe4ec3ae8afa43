#include "profiles/CBasicProfiledata.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "platform/AtomicFileWriter.h"
#include "platform/DataFolders.h"
#include "profiles/JsonValue.h"
#include "profiles/ProfileIds.h"

using namespace jsonvalue;

namespace {

// Function codes are kept as one integer: (type << 16) | (code1 << 8) | code2.
KeyFunctionRecord DecodeFunction(int code, uint16_t keyIndex) {
  KeyFunctionRecord record;
  record.KeyIndex = keyIndex;
  record.Type = static_cast<uint8_t>((code >> 16) & 0xFF);
  record.Code1 = static_cast<uint8_t>((code >> 8) & 0xFF);
  record.Code2 = static_cast<uint8_t>(code & 0xFF);
  return record;
}

int EncodeFunction(const KeyFunctionRecord& record) {
  return (record.Type << 16) | (record.Code1 << 8) | record.Code2;
}

std::vector<KeyListEntry> DecodeKeyList(const Json::Value& section) {
  const Json::Value& list = Member(section, "KeyList");
  std::vector<KeyListEntry> entries(ArraySize(list));
  for (Json::ArrayIndex i = 0; i < entries.size(); ++i) {
    const Json::Value& element = list[i];
    const auto key = static_cast<uint16_t>(i);
    entries[i].Fn = DecodeFunction(ReadInt(Member(element, "FnAssignment"), 0), key);
    entries[i].Normal = DecodeFunction(ReadInt(Member(element, "Assignment"), 0), key);
    entries[i].Default = DecodeFunction(ReadInt(Member(element, "DefaultAssignment"), 0), key);
  }
  return entries;
}

void EncodeKeyList(Json::Value& section, const std::vector<KeyListEntry>& entries) {
  Json::Value& list = ObjectMember(section, "KeyList");
  for (Json::ArrayIndex i = 0; i < entries.size(); ++i) {
    Json::Value& element = ArrayElement(list, i);
    ObjectMember(element, "Assignment") = EncodeFunction(entries[i].Normal);
    ObjectMember(element, "FnAssignment") = EncodeFunction(entries[i].Fn);
  }
}

// The folder is resolved but not the file's own name: a profile that is a
// link to the template is a link among the user's files, not the template.
QString SamePathKey(const QString& path) {
  const QFileInfo info(path);
  const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
  return folder.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : folder + '/' + info.fileName();
}

}  // namespace

void CBasicProfiledata::SetProfilePath(const QString& path) {
  if (!path.isEmpty())
    m_ProfilePath = path;
}

void CBasicProfiledata::SetDefaultProfilePath(const QString& path) {
  if (!path.isEmpty())
    m_DefaultProfilePath = path;
}

void CBasicProfiledata::SetDeviceIndex(int index) {
  if (index >= 0 && index <= kMaxDeviceIndex)
    m_DeviceIndex = index;
}

bool CBasicProfiledata::IsTemplate(const QString& path) const {
  return !m_DefaultProfilePath.isEmpty() && !path.isEmpty() &&
         SamePathKey(path) == SamePathKey(m_DefaultProfilePath);
}

bool CBasicProfiledata::ReadForRewrite(const QString& path, Json::Value& document) const {
  document = m_JsonFile.ReadJson(path);
  if (document.isObject())
    return true;
  document = Json::Value(Json::objectValue);
  // Whatever stands at `path` is about to be replaced; when it was more than
  // nothing, it is kept for the user to recover. A link (which ReadJson does
  // not follow) is moved as it is: its target is neither read nor written.
  const std::string name = QFile::encodeName(path).toStdString();
  return !platform::AtomicFileWriter::HoldsSomething(name) ||
         platform::AtomicFileWriter::SetAside(name) == 0;
}

Json::Value CBasicProfiledata::LoadSection(const QString& path) {
  // The template may be loaded in place of a profile (restoring the
  // defaults); it is the program's and may be a link.
  const Json::Value document =
      IsTemplate(path) ? m_JsonFile.ReadJsonFollowingLinks(path) : m_JsonFile.ReadJson(path);
  const Json::Value& section = Element(Member(document, "Device"), m_DeviceIndex);
  // A section that is not an object holds nothing the getters could use.
  if (section.isObject())
    return section;

  Json::Value fromTemplate;
  const Json::Value templateDocument = m_JsonFile.ReadJsonFollowingLinks(m_DefaultProfilePath);
  const Json::Value& templateSection = Element(Member(templateDocument, "Device"), m_DeviceIndex);
  if (templateSection.isObject())
    fromTemplate = templateSection;
  // Loading the template itself (restoring the defaults) must not write it.
  if (!IsTemplate(path))
    WriteDeviceSection(fromTemplate, path);
  return fromTemplate;
}

Json::Value CBasicProfiledata::LoadProfile(const QString& path) {
  m_ProfileRoot = LoadSection(path);
  return m_ProfileRoot;
}

Json::Value CBasicProfiledata::LoadOtherProfile(const QString& path) {
  m_OtherProfileRoot = LoadSection(path);
  return m_OtherProfileRoot;
}

Json::Value CBasicProfiledata::LoadLightConfig(const QString& path) {
  m_LightConfigRoot = m_JsonFile.ReadJson(path);
  m_LightConfigFolder = path.isEmpty() ? QString() : QFileInfo(path).absolutePath() + "/";
  return m_LightConfigRoot;
}

int CBasicProfiledata::Save() { return WriteDeviceSection(m_ProfileRoot, m_ProfilePath); }

int CBasicProfiledata::WriteDeviceSection(const Json::Value& section, const QString& path) {
  if (IsTemplate(path))
    return -1;
  Json::Value document;
  if (!ReadForRewrite(path, document))
    return -1;
  ArrayElement(ObjectMember(document, "Device"), static_cast<Json::ArrayIndex>(m_DeviceIndex)) = section;
  return WriteJsonFile(document, path);
}

int CBasicProfiledata::SaveOtherProfile(const QString& path) {
  return WriteDeviceSection(m_OtherProfileRoot, path);
}

int CBasicProfiledata::WriteJsonFile(const Json::Value& document, const QString& path) {
  return m_JsonFile.WriteJson(path, document);
}

LightInfo CBasicProfiledata::GetLightInfo() {
  const Json::Value& info = Member(m_ProfileRoot, "LightInfo");
  if (!info.isObject()) {
    m_LightInfo = LightInfo{};
    return m_LightInfo;
  }
  // Bytes 8 to 10 are not in the file: they keep what was set.
  m_LightInfo.SelectItem = ReadByte(Member(info, "SelectItem"));
  m_LightInfo.Light = ReadByte(Member(info, "Light"));
  m_LightInfo.Speed = ReadByte(Member(info, "Speed"));
  m_LightInfo.Fx = ReadByte(Member(info, "Fx"));
  m_LightInfo.MultiColor = ReadBool(Member(info, "MultiColor"), false) ? 1 : 0;
  m_LightInfo.Red = ReadByte(Member(info, "Red"));
  m_LightInfo.Green = ReadByte(Member(info, "Green"));
  m_LightInfo.Blue = ReadByte(Member(info, "Blue"));
  m_LightInfo.ZZCCLedMode = ReadByte(Member(info, "ZZCCLedMode"));
  m_LightInfo.CustomGroup = ReadByte(Member(info, "CustomGroup"));
  m_LightInfo.OldLedmode = ReadByte(Member(info, "OldLedmode"));
  m_LightInfo.ByVoiceLedmodeSwitch = ReadByte(Member(info, "byVoiceLedmodeSwith"));
  m_LightInfo.ByVoiceLedmode = ReadByte(Member(info, "byVoiceLedmode"));
  m_LightInfo.ByVoiceSensitivity = ReadByte(Member(info, "byVoiceSensitivity"));
  return m_LightInfo;
}

void CBasicProfiledata::SetLightInfo(const LightInfo& info) {
  m_LightInfo = info;
  Json::Value object(Json::objectValue);
  object["SelectItem"] = info.SelectItem;
  object["Light"] = info.Light;
  object["Speed"] = info.Speed;
  object["MultiColor"] = info.MultiColor;
  object["Red"] = info.Red;
  object["Green"] = info.Green;
  object["Blue"] = info.Blue;
  object["Fx"] = info.Fx;
  object["ZZCCLedMode"] = info.ZZCCLedMode;
  object["CustomGroup"] = info.CustomGroup;
  object["OldLedmode"] = info.OldLedmode;
  object["byVoiceLedmodeSwith"] = info.ByVoiceLedmodeSwitch;
  object["byVoiceLedmode"] = info.ByVoiceLedmode;
  object["byVoiceSensitivity"] = info.ByVoiceSensitivity;
  ObjectMember(m_ProfileRoot, "LightInfo") = object;
}

AudioLightInfo CBasicProfiledata::GetAudioLightInfo() {
  const Json::Value& info = Member(m_ProfileRoot, "AudioLightInfo");
  m_AudioLightInfo = AudioLightInfo{};
  if (!info.isObject())
    return m_AudioLightInfo;
  m_AudioLightInfo.AudioMode = ReadByte(Member(info, "AudioMode"));
  m_AudioLightInfo.BkColorR = ReadByte(Member(info, "BkColorR"));
  m_AudioLightInfo.BkColorG = ReadByte(Member(info, "BkColorG"));
  m_AudioLightInfo.BkColorB = ReadByte(Member(info, "BkColorB"));
  m_AudioLightInfo.FgColorR = ReadByte(Member(info, "FgColorR"));
  m_AudioLightInfo.FgColorG = ReadByte(Member(info, "FgColorG"));
  m_AudioLightInfo.FgColorB = ReadByte(Member(info, "FgColorB"));
  m_AudioLightInfo.SevenColorFlags = ReadBool(Member(info, "7ColorFlags"), false) ? 1 : 0;
  m_AudioLightInfo.ColorTypeFlags = ReadBool(Member(info, "ColorTypeFlags"), false) ? 1 : 0;
  return m_AudioLightInfo;
}

void CBasicProfiledata::SetAudioLightInfo(const AudioLightInfo& info) {
  m_AudioLightInfo = info;
  Json::Value object(Json::objectValue);
  object["AudioMode"] = info.AudioMode;
  object["BkColorR"] = info.BkColorR;
  object["BkColorG"] = info.BkColorG;
  object["BkColorB"] = info.BkColorB;
  object["FgColorR"] = info.FgColorR;
  object["FgColorG"] = info.FgColorG;
  object["FgColorB"] = info.FgColorB;
  object["7ColorFlags"] = info.SevenColorFlags;
  object["ColorTypeFlags"] = info.ColorTypeFlags;
  ObjectMember(m_ProfileRoot, "AudioLightInfo") = object;
}

std::vector<LightInfo> CBasicProfiledata::GetLightList() {
  const Json::Value& list = Member(m_ProfileRoot, "LightList");
  m_LightList.assign(ArraySize(list), LightInfo{});
  for (Json::ArrayIndex i = 0; i < m_LightList.size(); ++i) {
    const Json::Value& element = list[i];
    if (!element.isObject())
      continue;
    LightInfo& record = m_LightList[i];
    record.Present = 1;
    record.SelectItem = ReadByte(Member(element, "LEDREGMode"));
    record.Light = ReadByte(Member(element, "LEDBrightness"));
    record.Speed = ReadByte(Member(element, "LEDSpeed"));
    record.Fx = ReadBool(Member(element, "LEDDirection"), false) ? 1 : 0;
    record.MultiColor = ReadBool(Member(element, "LEDMultiColor"), false) ? 1 : 0;
    record.Red = ReadByte(Member(element, "red"));
    record.Green = ReadByte(Member(element, "green"));
    record.Blue = ReadByte(Member(element, "blue"));
  }
  return m_LightList;
}

std::vector<LightEffectStep> CBasicProfiledata::GetLightEffectSteps() {
  m_LightEffectSteps.clear();
  const Json::Value& entry =
      Element(Element(Member(m_LightConfigRoot, "LightInfo"), m_DeviceIndex), m_LightInfo.SelectItem);
  // The Guid names a file; anything but a plain name could reach outside
  // the folders below.
  const QString guid = ReadString(Member(entry, "Guid"));
  if (!IsPlainFileName(guid))
    return m_LightEffectSteps;
  // The effect files lie beside the configuration that names them; those
  // that come with the program lie with its templates.
  // A link among the user's files is not followed (it reads as broken).
  const QString name = guid + ".light";
  const QFileInfo own(m_LightConfigFolder + name);
  const bool useOwn = !m_LightConfigFolder.isEmpty() && (own.isFile() || own.isSymLink());
  const Json::Value document =
      useOwn ? m_JsonFile.ReadJson(own.filePath())
             : m_JsonFile.ReadJsonFollowingLinks(platform::DataFolders::DefaultDataDir() + name);
  const Json::Value& list = Member(document, "LEDEffectList");
  m_LightEffectSteps.resize(ArraySize(list));
  for (Json::ArrayIndex i = 0; i < m_LightEffectSteps.size(); ++i) {
    const Json::Value& element = list[i];
    LightEffectStep& step = m_LightEffectSteps[i];
    step.LEDREGMode = ReadByte(Member(element, "LEDREGMode"));
    step.LEDDirection = ReadByte(Member(element, "LEDDirection"));
    step.LEDBrightness = ReadByte(Member(element, "LEDBrightness"));
    step.LEDSpeed = ReadByte(Member(element, "LEDSpeed"));
    step.LEDMultiColor = ReadByte(Member(element, "LEDMultiColor"));
    step.Red = ReadByte(Member(element, "red"));
    step.Green = ReadByte(Member(element, "green"));
    step.Blue = ReadByte(Member(element, "blue"));
    step.Time = ReadInt(Member(element, "Time"), 0);
    step.Cycles = ReadInt(Member(element, "Cyle"), 0);
  }
  return m_LightEffectSteps;
}

std::vector<KeyListEntry> CBasicProfiledata::GetKeyList() {
  m_KeyList = DecodeKeyList(m_ProfileRoot);
  return m_KeyList;
}

void CBasicProfiledata::SetKeyList(const std::vector<KeyListEntry>& list) {
  m_KeyList = list;
  EncodeKeyList(m_ProfileRoot, list);
}

std::vector<KeyListEntry> CBasicProfiledata::GetOtherKeyList() {
  m_OtherKeyList = DecodeKeyList(m_OtherProfileRoot);
  return m_OtherKeyList;
}

void CBasicProfiledata::SetOtherKeyList(const std::vector<KeyListEntry>& list) {
  m_OtherKeyList = list;
  EncodeKeyList(m_OtherProfileRoot, list);
}
