#pragma once

#include <QStringList>
#include <vector>

#include "profiles/CBasicProfiledata.h"
#include "profiles/HeadsetSystem.h"

// The headset's profile data: the common fields plus its audio state
// ("SystemSetStages"), the twelve equaliser presets ("EQHzValueInfo", one
// row per preset, row 0 unused), the user's own equaliser curves
// ("CustomEQHzValueInfo", one per slot) and their names
// ("CustomEQNameInfo"). Equaliser values and names are read from the
// section each time.
class CRo6533Profiledata : public CBasicProfiledata {
 public:
  HeadsetSystem GetHeadsetSystem();
  void SetHeadsetSystem(const HeadsetSystem& system);

  // The 10 band values of the preset of `eqType` (see EqPresetRow); none for
  // the custom equaliser. A band the section lacks is written as 0 first.
  std::vector<int> GetEqValues(int eqType);
  // Writes bands 0 to 9 from the first values given; nothing for the custom
  // equaliser.
  void SetEqValues(int eqType, const std::vector<int>& values);
  // The same for custom slot `slot`; a slot outside [0, kMaxCustomEqSlots)
  // reads as zeros and writes nothing.
  std::vector<int> GetCustomEqValues(int slot);
  void SetCustomEqValues(int slot, const std::vector<int>& values);
  QStringList GetCustomEqNames() const;
  // Replaces the names whole.
  void SetCustomEqNames(const QStringList& names);

  // The preset row for an equaliser type: the type itself for 1 to 12, -1
  // for the custom equaliser (13), and row 1 for anything else.
  static int EqPresetRow(int eqType);

  static constexpr int kEqBands = 10;
  static constexpr int kCustomEqType = 13;
  // The headset panel keeps at most 20 custom curves.
  static constexpr int kMaxCustomEqSlots = 20;

 protected:
  HeadsetSystem m_HeadsetSystem;

 private:
  std::vector<int> ReadBands(const char* key, int row);
  void WriteBands(const char* key, int row, const std::vector<int>& values);
};
