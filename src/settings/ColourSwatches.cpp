#include "settings/ColourSwatches.h"

#include "platform/DataFolders.h"
#include "platform/DebugChannel.h"
#include "profiles/JsonFile.h"
#include "profiles/JsonValue.h"

using namespace jsonvalue;

namespace {

constexpr const char* kInfo = "coloroptioninfo";
constexpr const char* kPresets = "palletDialogcoloroption";
constexpr const char* kPresetSelection = "palletDialogcoloroption_selectitem";
constexpr const char* kCollected = "palletDialogcollectcoloroption";
constexpr const char* kCollectedSelection = "palletDialogcollectcoloroption_selectitem";
constexpr const char* kColour = "color";
constexpr const char* kUserData = "UserData";

constexpr uint32_t kOpaque = 0xFF000000u;

bool InRange(int index) { return index >= 0 && index < ColourSwatches::kCount; }

int ReadSelection(const Json::Value& info, const char* key) {
  return ReadIntIn(Member(info, key), -1, 0, ColourSwatches::kCount - 1);
}

}  // namespace

QString ColourSwatches::UserFilePath() {
  return platform::DataFolders::UserDataDir() + QLatin1String(kFileName);
}

QString ColourSwatches::DefaultFilePath() {
  return platform::DataFolders::DefaultDataDir() + QLatin1String(kFileName);
}

ColourSwatches ColourSwatches::LoadForUser() { return Load(UserFilePath(), DefaultFilePath()); }

bool ColourSwatches::IsUsable(const Json::Value& document) {
  return Member(document, kInfo).isObject();
}

ColourSwatches ColourSwatches::Load(const QString& userPath, const QString& defaultPath) {
  ColourSwatches swatches;
  swatches.path_ = userPath;
  JsonFile file;
  Json::Value document = file.ReadJson(userPath);
  if (!IsUsable(document)) {
    // The template is the program's own and may be installed as a link.
    document = file.ReadJsonFollowingLinks(defaultPath);
    if (!IsUsable(document)) {
      platform::DebugPrint("colour swatches: neither %s nor %s can be read",
                           userPath.toUtf8().constData(), defaultPath.toUtf8().constData());
      swatches.ReadFrom(Json::Value());
      return swatches;
    }
    swatches.fromTemplate_ = true;
    if (file.WriteJson(userPath, document) != 0)
      platform::DebugPrint("colour swatches: %s could not be written", userPath.toUtf8().constData());
  }
  swatches.ReadFrom(document);
  return swatches;
}

void ColourSwatches::ReadFrom(const Json::Value& document) {
  document_ = document;
  const Json::Value& info = Member(document, kInfo);
  const Json::Value& presets = Member(info, kPresets);
  const Json::Value& collected = Member(info, kCollected);
  for (int i = 0; i < kCount; ++i) {
    const Json::Value& preset = Member(Element(presets, i), kColour);
    presets_[i].reset();
    if (preset.isString())
      if (auto colour = ParseColour(ReadString(preset)))
        presets_[i] = *colour | kOpaque;

    const Json::Value& place = Element(collected, i);
    CollectedSwatch& swatch = collected_[i];
    swatch = CollectedSwatch();
    swatch.UserData = ReadString(Member(place, kUserData));
    if (swatch.IsFilled()) {
      // A place that claims a colour it does not hold is an empty place.
      if (auto colour = ParseColour(ReadString(Member(place, kColour))))
        swatch.Colour = *colour | kOpaque;
      else
        swatch.UserData.clear();
    }
  }
  selectedPreset_ = ReadSelection(info, kPresetSelection);
  selectedCollected_ = ReadSelection(info, kCollectedSelection);
}

std::optional<uint32_t> ColourSwatches::Preset(int index) const {
  return InRange(index) ? presets_[index] : std::nullopt;
}

void ColourSwatches::SetPreset(int index, uint32_t argb) {
  if (InRange(index))
    presets_[index] = argb | kOpaque;
}

void ColourSwatches::SelectPreset(int index) { selectedPreset_ = InRange(index) ? index : -1; }

const ColourSwatches::CollectedSwatch& ColourSwatches::Collected(int index) const {
  static const CollectedSwatch kEmpty;
  return InRange(index) ? collected_[index] : kEmpty;
}

void ColourSwatches::FillCollected(int index, uint32_t argb) {
  if (!InRange(index))
    return;
  collected_[index].Colour = argb | kOpaque;
  collected_[index].UserData = QStringLiteral("1");
}

void ColourSwatches::SelectCollected(int index) { selectedCollected_ = InRange(index) ? index : -1; }

bool ColourSwatches::SavePresets() {
  Json::Value list(Json::arrayValue);
  for (const std::optional<uint32_t>& preset : presets_) {
    Json::Value entry(Json::objectValue);
    if (preset)
      entry[kColour] = FormatColour(*preset).toStdString();
    list.append(entry);
  }
  Json::Value& info = ObjectMember(document_, kInfo);
  ObjectMember(info, kPresets) = list;
  ObjectMember(info, kPresetSelection) = selectedPreset_;
  return Write();
}

bool ColourSwatches::SaveCollected() {
  Json::Value list(Json::arrayValue);
  for (const CollectedSwatch& swatch : collected_) {
    Json::Value entry(Json::objectValue);
    entry[kColour] = FormatColour(swatch.Colour).toStdString();
    entry[kUserData] = swatch.UserData.toStdString();
    list.append(entry);
  }
  Json::Value& info = ObjectMember(document_, kInfo);
  ObjectMember(info, kCollected) = list;
  ObjectMember(info, kCollectedSelection) = selectedCollected_;
  return Write();
}

bool ColourSwatches::Write() {
  if (path_.isEmpty())
    return false;
  if (JsonFile().WriteJson(path_, document_) == 0)
    return true;
  platform::DebugPrint("colour swatches: %s could not be written", path_.toUtf8().constData());
  return false;
}

QString ColourSwatches::FormatColour(uint32_t argb) {
  return QStringLiteral("%1").arg(argb, 8, 16, QLatin1Char('0')).toUpper();
}

std::optional<uint32_t> ColourSwatches::ParseColour(const QString& text) {
  QString digits = text.trimmed();
  if (digits.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
    digits = digits.mid(2);
  if (digits.isEmpty() || digits.size() > 8)
    return std::nullopt;
  for (QChar c : digits) {
    const char16_t u = c.unicode();
    const bool hex = (u >= '0' && u <= '9') || (u >= 'a' && u <= 'f') || (u >= 'A' && u <= 'F');
    if (!hex)
      return std::nullopt;
  }
  bool ok = false;
  const uint value = digits.toUInt(&ok, 16);
  if (!ok)
    return std::nullopt;
  return static_cast<uint32_t>(value);
}
