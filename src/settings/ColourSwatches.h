#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <json/value.h>
#include <optional>

// The colour dialog's swatches: 20 preset colours and 20 places the user
// fills with colours of his own, each set with the position selected in it.
// They are kept in "color_option_info.config" in the user's data folder:
//   {"coloroptioninfo": {
//     "palletDialogcoloroption": [{"color": "FFRRGGBB"} x 20],
//     "palletDialogcoloroption_selectitem": n,
//     "palletDialogcollectcoloroption": [{"color": "FFRRGGBB", "UserData": "1"} x 20],
//     "palletDialogcollectcoloroption_selectitem": n}}
// A colour is written as eight upper-case hexadecimal digits, alpha first.
// A collected place holds a colour only when its "UserData" is "1".
class ColourSwatches {
 public:
  static constexpr const char* kFileName = "color_option_info.config";
  static constexpr int kCount = 20;
  // What an empty collected place shows.
  static constexpr uint32_t kEmptyColour = 0xFFFFFFFF;

  struct CollectedSwatch {
    uint32_t Colour = kEmptyColour;
    QString UserData;  // "1" when the place holds a colour
    bool IsFilled() const { return UserData == QLatin1String("1"); }
  };

  // The swatches of the user's file at `userPath`. When that file is missing,
  // empty or unreadable (not JSON, or without "coloroptioninfo"), the
  // template at `defaultPath` is read instead and saved as the user's file.
  // When neither can be read there are no presets and every collected place
  // is empty; nothing is written until something is saved.
  static ColourSwatches Load(const QString& userPath, const QString& defaultPath);
  // Load with the user's data folder and the program's templates.
  static ColourSwatches LoadForUser();
  static QString UserFilePath();
  static QString DefaultFilePath();

  // The file the saves write.
  const QString& Path() const { return path_; }
  // Whether the swatches came from the template (the user's file was unusable).
  bool CameFromTemplate() const { return fromTemplate_; }

  // The preset colour at `index`; nothing when the file gave none there or
  // `index` lies outside 0..19. Colours are always opaque: a colour read
  // with another alpha is taken as opaque.
  std::optional<uint32_t> Preset(int index) const;
  void SetPreset(int index, uint32_t argb);
  // -1 when none is selected.
  int SelectedPreset() const { return selectedPreset_; }
  // A position outside 0..19 selects none.
  void SelectPreset(int index);

  // The collected place at `index`; an empty place outside 0..19.
  const CollectedSwatch& Collected(int index) const;
  // Makes the place hold `argb` (user data "1").
  void FillCollected(int index, uint32_t argb);
  int SelectedCollected() const { return selectedCollected_; }
  void SelectCollected(int index);

  // Rewrite the user's file: the set named with its 20 colours and its
  // selected position; everything else as it was read (the other set keeps
  // what the file held, selection included). False when the file could not
  // be written.
  bool SavePresets();
  bool SaveCollected();

  // "FF00FF80" for 0xFF00FF80.
  static QString FormatColour(uint32_t argb);
  // One to eight hexadecimal digits of either case, with or without "0x",
  // spaces around allowed; nothing for anything else.
  static std::optional<uint32_t> ParseColour(const QString& text);

 private:
  static bool IsUsable(const Json::Value& document);
  void ReadFrom(const Json::Value& document);
  bool Write();

  QString path_;
  bool fromTemplate_ = false;
  // The document as read, so that what this class does not know survives a save.
  Json::Value document_;
  std::array<std::optional<uint32_t>, kCount> presets_{};
  std::array<CollectedSwatch, kCount> collected_{};
  int selectedPreset_ = -1;
  int selectedCollected_ = -1;
};
