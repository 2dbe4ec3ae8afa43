// libFuzzer target for the blocks a device answers with: the information
// block, the keyboard's, mouse's and pad's parameter blocks (their lighting
// bytes and the mouse's DPI stages), and the key table (its slots, the
// mouse's button map, the key assignment panel's reading of a function):
//   CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DTRAVIX_BUILD_FUZZERS=ON -DTRAVIX_BUILD_TESTS=OFF
//   cmake --build build/fuzz --target device_block_fuzzer
//   build/fuzz/bin/device_block_fuzzer fuzz/corpus/device_block
//
// The first byte picks the block; the rest are its bytes, then the mode list
// and what the page held before the read.
//
// What must hold: decoding an encoded information block gives it back; what
// a lighting reader gives is in range (levels 0..4, a mode position that
// carries the mode byte) and writing it back is stable after one round (the
// bytes written, read and written again do not change), touching no byte
// outside the lighting bytes; the mouse block rebuilt from its own stages
// carries them unchanged; a button's slot holds its factory function and no
// earlier slot does; the function a key shows builds a function that shows
// and builds the same.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "FuzzSupport.h"
#include "keys/KeyFunctionChoice.h"
#include "keys/KeyTables.h"
#include "lighting/LightingBytes.h"
#include "mouse/MouseBlock.h"
#include "mouse/MouseButtonMap.h"
#include "protocol/DeviceInfo.h"
#include "protocol/KeyFunction.h"
#include "protocol/ParameterBlocks.h"

namespace {

using protocol::BlockLighting;
using protocol::KeyboardParameters;
using protocol::MouseParameters;
using protocol::PadParameters;

template <size_t N>
std::array<uint8_t, N> TakeBlock(FuzzedDataProvider& provider) {
  std::array<uint8_t, N> block{};
  const std::vector<uint8_t> bytes = provider.ConsumeBytes<uint8_t>(N);
  std::copy(bytes.begin(), bytes.end(), block.begin());
  return block;
}

// A mode list as the mode file gives one: up to 40 entries of values 0..255,
// repeats allowed.
LightModeList TakeModes(FuzzedDataProvider& provider) {
  LightModeList modes;
  const size_t count = provider.ConsumeIntegralInRange<size_t>(0, 40);
  for (size_t i = 0; i < count; ++i) {
    modes.names.emplace_back();
    modes.visible.push_back(true);
    modes.values.push_back(provider.ConsumeIntegral<uint8_t>());
  }
  return modes;
}

LightInfo TakeInfo(FuzzedDataProvider& provider) {
  LightInfo info;
  const std::vector<uint8_t> bytes = provider.ConsumeBytes<uint8_t>(sizeof(LightInfo));
  if (!bytes.empty())
    std::memcpy(&info, bytes.data(), bytes.size());
  return info;
}

// The mode position a reader gave: one carrying the mode byte when the list
// has one, else `otherwise`.
void CheckMode(const LightModeList& modes, uint8_t mode, const LightInfo& read, int otherwise) {
  const int position = modes.PositionOf(mode);
  if (position >= 0)
    FUZZ_CHECK(read.SelectItem == position && modes.ValueAt(read.SelectItem) == mode);
  else
    FUZZ_CHECK(read.SelectItem == otherwise);
}

// The bytes outside [from, to) and outside `also` are the same in both blocks.
template <size_t N>
void CheckOthersKept(const std::array<uint8_t, N>& before, const std::array<uint8_t, N>& after, size_t from,
                     size_t to, std::initializer_list<size_t> also) {
  for (size_t i = 0; i < N; ++i) {
    if ((i >= from && i < to) || std::find(also.begin(), also.end(), i) != also.end())
      continue;
    FUZZ_CHECK(before[i] == after[i]);
  }
}

void InformationBlock(FuzzedDataProvider& provider) {
  const auto bytes = TakeBlock<protocol::DeviceInfo::kSize>(provider);
  const protocol::DeviceInfo info = protocol::DeviceInfo::Decode(bytes);
  FUZZ_CHECK(info.keyCount == bytes[protocol::DeviceInfo::kKeyCountOffset]);
  FUZZ_CHECK(info.MacroBytes() == bytes[protocol::DeviceInfo::kMacroUnitsOffset] * size_t{128});
  FUZZ_CHECK(info.dpiMax == (bytes[protocol::DeviceInfo::kDpiMaxOffset] |
                             bytes[protocol::DeviceInfo::kDpiMaxOffset + 1] << 8));
  const protocol::DeviceInfo::Bytes encoded = info.Encode();
  FUZZ_CHECK(protocol::DeviceInfo::Decode(encoded) == info);
  // Encoding keeps the named bytes and leaves the others zero.
  for (size_t i = 0; i < encoded.size(); ++i) {
    const bool named = i == 5 || i == 6 || (i >= 9 && i <= 15);
    FUZZ_CHECK(encoded[i] == (named ? bytes[i] : 0));
  }
}

void KeyboardBlock(FuzzedDataProvider& provider) {
  const auto block = TakeBlock<KeyboardParameters::kSize>(provider);
  const LightModeList modes = TakeModes(provider);
  const LightInfo held = TakeInfo(provider);
  LightInfo read = held;
  lighting::ReadKeyboardLighting(block, read, modes);
  FUZZ_CHECK(read.Light <= lighting::kMaxLevel && read.Speed <= lighting::kMaxLevel);
  const uint8_t mode = block[KeyboardParameters::kModeOffset];
  if (mode != lighting::kHostDrawnMode)
    CheckMode(modes, mode, read, held.SelectItem);
  FUZZ_CHECK(read.Red == block[6] && read.Green == block[7] && read.Blue == block[8]);
  FUZZ_CHECK(read.CustomGroup == block[KeyboardParameters::kCustomGroupOffset]);

  auto first = block;
  lighting::PutKeyboardLighting(first, read, modes);
  CheckOthersKept(block, first, KeyboardParameters::kModeOffset, BlockLighting::kLightingEnd,
                  {KeyboardParameters::kZeroedOffset, KeyboardParameters::kSecondZoneModeOffset,
                   KeyboardParameters::kCustomGroupOffset});
  LightInfo again = read;
  lighting::ReadKeyboardLighting(first, again, modes);
  auto second = first;
  lighting::PutKeyboardLighting(second, again, modes);
  FUZZ_CHECK(first == second);
}

void MouseBlock(FuzzedDataProvider& provider) {
  const auto block = TakeBlock<MouseParameters::kSize>(provider);
  const LightModeList modes = TakeModes(provider);
  const LightInfo held = TakeInfo(provider);
  LightInfo read = held;
  lighting::ReadMouseLighting(block, read, modes);
  FUZZ_CHECK(read.Light <= lighting::kMaxLevel && read.Speed <= lighting::kMaxLevel && read.MultiColor <= 1);
  CheckMode(modes, block[MouseParameters::kModeOffset], read, block[MouseParameters::kModeOffset]);
  FUZZ_CHECK(read.Fx == held.Fx);

  // The block rebuilt from what was read carries the same stages and words.
  mouse::MouseSettings settings;
  settings.light = read;
  settings.stages = mouse::StagesOfBlock(block);
  FUZZ_CHECK(settings.stages.size() == MouseParameters::kStages);
  settings.reportRate = block[MouseParameters::kReportRateOffset];
  settings.activeStage = block[MouseParameters::kActiveStageOffset];
  settings.corrections.push_back({block[MouseParameters::kCorrectionOffset + 1],
                                  block[MouseParameters::kCorrectionOffset], 1, QString()});
  mouse::BlockFrame frame;
  frame.byte0 = block[0];
  frame.mark = block[MouseParameters::kMarkOffset];
  frame.screenWidth = static_cast<uint16_t>(block[60] | block[61] << 8);
  frame.screenHeight = static_cast<uint16_t>(block[62] | block[63] << 8);
  const MouseParameters::Bytes rebuilt = mouse::BuildMouseBlock(settings, modes, frame);
  FUZZ_CHECK(mouse::StagesOfBlock(rebuilt) == settings.stages);
  // Every byte past the lighting and the zeroed pair is carried; byte 66 on
  // is not the program's and is sent as zero.
  for (size_t i = MouseParameters::kReportRateOffset; i < 66; ++i)
    if (i != 13)
      FUZZ_CHECK(rebuilt[i] == block[i]);
  FUZZ_CHECK(rebuilt[0] == block[0]);

  auto first = block;
  lighting::PutMouseLighting(first, read, modes);
  CheckOthersKept(block, first, MouseParameters::kModeOffset, BlockLighting::kLightingEnd,
                  {MouseParameters::kZeroedOffset, MouseParameters::kZeroedOffset + 1});
  LightInfo again = read;
  lighting::ReadMouseLighting(first, again, modes);
  auto second = first;
  lighting::PutMouseLighting(second, again, modes);
  FUZZ_CHECK(first == second);
}

void PadBlock(FuzzedDataProvider& provider) {
  const auto block = TakeBlock<PadParameters::kSize>(provider);
  const LightModeList modes = TakeModes(provider);
  const LightInfo held = TakeInfo(provider);
  LightInfo read = held;
  lighting::ReadPadLighting(block, read, modes);
  FUZZ_CHECK(read.Light <= lighting::kMaxLevel && read.Speed <= lighting::kMaxLevel && read.MultiColor <= 1);
  CheckMode(modes, block[PadParameters::kModeOffset], read, block[PadParameters::kModeOffset]);

  auto first = block;
  lighting::PutPadLighting(first, read, modes);
  // The direction byte is the device's: written back as read.
  CheckOthersKept(block, first, PadParameters::kModeOffset, BlockLighting::kLightingEnd,
                  {});
  FUZZ_CHECK(first[BlockLighting::kDirectionOffset] == block[BlockLighting::kDirectionOffset]);
  LightInfo again = read;
  lighting::ReadPadLighting(first, again, modes);
  auto second = first;
  lighting::PutPadLighting(second, again, modes);
  FUZZ_CHECK(first == second);
}

void KeyTable(FuzzedDataProvider& provider) {
  const int slotCount = provider.ConsumeIntegralInRange<int>(-2, 260);
  const int macroCount = provider.ConsumeIntegralInRange<int>(0, 256);
  std::vector<uint8_t> table = provider.ConsumeBytes<uint8_t>(protocol::kKeyTableBytes);
  table.resize(provider.ConsumeBool() ? protocol::kKeyTableBytes : table.size());

  // Slots read and written back give the same bytes.
  const size_t tableSlots = table.size() / protocol::KeyFunction::kSize;
  std::vector<uint8_t> copy(table.size(), 0);
  for (size_t slot = 0; slot < tableSlots; ++slot)
    protocol::KeyFunction::ReadSlot(table, slot).WriteSlot(copy, slot);
  FUZZ_CHECK(std::equal(copy.begin(), copy.begin() + static_cast<std::ptrdiff_t>(tableSlots * 3), table.begin()));

  // Each button: the first slot in use holding its factory function.
  const auto map = mouse::BuildButtonMap(table, slotCount);
  const int inUse = std::clamp(std::min<int>(slotCount, static_cast<int>(tableSlots)), 0, mouse::kMaxSlots);
  for (size_t button = 0; button < map.size(); ++button) {
    const keys::FunctionCode factory = keys::MouseFactoryFunctions[button];
    int first = -1;
    for (int slot = 0; slot < inUse && first < 0; ++slot)
      if (protocol::KeyFunction::ReadSlot(table, static_cast<size_t>(slot)) == factory)
        first = slot;
    FUZZ_CHECK(map[button] == (first >= 0 ? static_cast<uint8_t>(first) : mouse::kNoSlot));
  }

  // The panel: what a record shows builds a record that shows and builds
  // the same, for either panel.
  const keys::FunctionCode defaultRecord =
      tableSlots > 0 ? protocol::KeyFunction::ReadSlot(table, tableSlots - 1) : keys::FunctionCode{};
  for (size_t slot = 0; slot + 1 < tableSlots && slot < 16; ++slot) {
    const keys::FunctionCode record = protocol::KeyFunction::ReadSlot(table, slot);
    for (keys::PanelDevice device : {keys::PanelDevice::Keyboard, keys::PanelDevice::Mouse}) {
      const keys::KeyFunctionChoice shown = keys::ShowRecord(record, defaultRecord, macroCount);
      const keys::FunctionCode built = keys::BuildRecord(shown, device, record, defaultRecord, macroCount);
      const keys::KeyFunctionChoice again = keys::ShowRecord(built, defaultRecord, macroCount);
      FUZZ_CHECK(keys::BuildRecord(again, device, built, defaultRecord, macroCount) == built);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0)
    return 0;
  FuzzedDataProvider provider(data + 1, size - 1);
  switch (data[0] % 5) {
    case 0: InformationBlock(provider); break;
    case 1: KeyboardBlock(provider); break;
    case 2: MouseBlock(provider); break;
    case 3: PadBlock(provider); break;
    default: KeyTable(provider); break;
  }
  return 0;
}
