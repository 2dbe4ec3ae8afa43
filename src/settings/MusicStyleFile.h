#pragma once

#include <QString>
#include <array>
#include <cstdint>

// A colour of a music style group, one byte per channel.
struct MusicGroupColour {
  uint8_t red = 0;
  uint8_t green = 0;
  uint8_t blue = 0;
  bool operator==(const MusicGroupColour&) const = default;
};

// The music styles: four named colour groups and the group in use. The
// group in use is what the music style dialog shows selected and what the
// outside audio recorder is told to draw with.
struct MusicStyle {
  static constexpr int kGroupCount = 4;

  // The group in use, 0..3 (named after its key in the file).
  int nAudioStyle = 0;
  // An empty (or blank) name stands for the group's default name.
  std::array<QString, kGroupCount> names;
  std::array<MusicGroupColour, kGroupCount> colours{};

  bool operator==(const MusicStyle&) const = default;
};

// "AudioFile.json" in the user's data folder:
//   {"AudioLightInfo": {
//     "nAudioStyle": n (the group in use, 0..3),
//     "nStyleName1" .. "nStyleName4": the group names (UTF-8),
//     "nStyleR0", "nStyleG0", "nStyleB0" .. "nStyleR3", "nStyleG3", "nStyleB3": 0..255}}
// Names are numbered from 1, colours from 0.
class MusicStyleFile {
 public:
  static constexpr const char* kFileName = "AudioFile.json";

  // The copy-data record that hands the group in use to the outside audio
  // recorder: its kind (the record's dwData) and its size in bytes.
  static constexpr uint32_t kRecorderRecordKind = 10;
  static constexpr int kRecorderRecordSize = 40;

  // The user's data folder + kFileName.
  static QString UserFilePath();

  // "第一组", "第二组", "第三组", "第四组" for groups 0..3; empty for any other.
  static QString DefaultGroupName(int group);
  // `name`, or the group's default name when it is empty or blank.
  static QString NameOrDefault(int group, const QString& name);
  // Group 0 in use, the default names, every colour black.
  static MusicStyle DefaultStyle();

  // The styles of the file at `path`. A file that is missing or not a JSON
  // object gives DefaultStyle(); each value that is missing, of the wrong
  // type or out of range reads as its default (an empty name too).
  static MusicStyle Load(const QString& path);
  // Writes `style` to `path` (atomically: a failed write leaves the old
  // file), empty names as the default names and a group outside 0..3 as 0.
  // What else the file's object holds, inside "AudioLightInfo" or beside it,
  // is kept. False when the file could not be written.
  static bool Save(const QString& path, const MusicStyle& style);

  // The recorder record of the group in use (group 0 when the record names
  // none of 0..3): its red, green and blue as three 32-bit little-endian
  // values, a green of 0 sent as 1, the rest of the 40 bytes zero.
  static std::array<uint8_t, kRecorderRecordSize> RecorderColourRecord(const MusicStyle& style);
};
