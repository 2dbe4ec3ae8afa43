#include "hid/HidReportDescriptor.h"

#include <algorithm>
#include <map>

namespace hid {

namespace {

// Limits that no real device comes near; they keep a hostile descriptor from
// asking for absurd amounts of memory.
constexpr uint32_t kMaxReportCount = 4096;
constexpr uint32_t kMaxReportBits = 8 * 4096;
constexpr size_t kMaxStackDepth = 16;
constexpr size_t kMaxUsages = 4096;

struct GlobalState {
  uint16_t usagePage = 0;
  int32_t logicalMin = 0;
  int32_t logicalMax = 0;
  uint32_t logicalMaxRaw = 0;
  uint8_t logicalMaxSize = 0;
  int32_t physicalMin = 0;
  int32_t physicalMax = 0;
  uint32_t reportSize = 0;
  uint32_t reportCount = 0;
  uint8_t reportId = 0;
};

struct LocalState {
  std::vector<uint32_t> usages;  // extended when the item gave a page
  std::vector<bool> explicitPage;
  std::optional<uint32_t> usageMin;
  std::optional<uint32_t> usageMax;
  bool minExplicitPage = false;
  bool maxExplicitPage = false;
  void Clear() { *this = LocalState{}; }
};

uint32_t Unsigned(std::span<const uint8_t> data) {
  uint32_t v = 0;
  for (size_t i = 0; i < data.size(); ++i)
    v |= static_cast<uint32_t>(data[i]) << (8 * i);
  return v;
}

int32_t Signed(std::span<const uint8_t> data) {
  const uint32_t v = Unsigned(data);
  switch (data.size()) {
    case 1: return static_cast<int8_t>(v);
    case 2: return static_cast<int16_t>(v);
    case 4: return static_cast<int32_t>(v);
    default: return 0;
  }
}

uint32_t Extend(uint32_t usage, bool explicitPage, uint16_t page) {
  return explicitPage ? usage : (static_cast<uint32_t>(page) << 16) | (usage & 0xFFFF);
}

}  // namespace

std::optional<uint32_t> HidField::UsageAt(uint32_t index) const {
  if (usageIsRange) {
    const uint64_t usage = static_cast<uint64_t>(usageMin) + index;
    if (usage > usageMax)
      return isArray ? std::nullopt : std::optional<uint32_t>(usageMax);
    return static_cast<uint32_t>(usage);
  }
  if (usages.empty())
    return std::nullopt;
  if (index < usages.size())
    return usages[index];
  // Variable fields repeat their last usage; arrays have no such index.
  return isArray ? std::nullopt : std::optional<uint32_t>(usages.back());
}

bool HidCollection::HasReportId(uint8_t id) const {
  return std::binary_search(reportIds.begin(), reportIds.end(), id);
}

std::optional<HidReportDescriptor> HidReportDescriptor::Parse(std::span<const uint8_t> bytes,
                                                              std::string* error) {
  auto fail = [&](const char* why) -> std::optional<HidReportDescriptor> {
    if (error != nullptr)
      *error = why;
    return std::nullopt;
  };

  HidReportDescriptor result;
  GlobalState global;
  std::vector<GlobalState> stack;
  LocalState local;
  int depth = 0;
  HidCollection* top = nullptr;
  // Bits per (type, report id) over the whole descriptor.
  std::map<std::pair<int, uint8_t>, uint32_t> reportBits;
  // Which collection owns each (type, report id).
  std::map<std::pair<int, uint8_t>, size_t> owner;

  size_t i = 0;
  while (i < bytes.size()) {
    const uint8_t prefix = bytes[i];
    if (prefix == 0xFE) {
      // Long item: size, tag, data. None is defined; skip it.
      if (i + 2 >= bytes.size())
        return fail("long item runs past the end");
      const size_t size = bytes[i + 1];
      if (i + 3 + size > bytes.size())
        return fail("long item runs past the end");
      i += 3 + size;
      continue;
    }
    static constexpr size_t kSizes[] = {0, 1, 2, 4};
    const size_t size = kSizes[prefix & 3];
    const uint8_t type = (prefix >> 2) & 3;
    const uint8_t tag = prefix >> 4;
    if (i + 1 + size > bytes.size())
      return fail("item runs past the end");
    const std::span<const uint8_t> data = bytes.subspan(i + 1, size);
    i += 1 + size;

    if (type == 1) {  // global
      switch (tag) {
        case 0x0: global.usagePage = static_cast<uint16_t>(Unsigned(data)); break;
        case 0x1: global.logicalMin = Signed(data); break;
        case 0x2:
          global.logicalMax = Signed(data);
          global.logicalMaxRaw = Unsigned(data);
          global.logicalMaxSize = static_cast<uint8_t>(size);
          break;
        case 0x3: global.physicalMin = Signed(data); break;
        case 0x4: global.physicalMax = Signed(data); break;
        case 0x5: case 0x6: break;  // unit exponent, unit
        case 0x7: global.reportSize = Unsigned(data); break;
        case 0x8:
          global.reportId = static_cast<uint8_t>(Unsigned(data));
          if (global.reportId == 0)
            return fail("report id 0 is reserved");
          result.usesReportIds_ = true;
          break;
        case 0x9: global.reportCount = Unsigned(data); break;
        case 0xA:
          if (stack.size() >= kMaxStackDepth)
            return fail("push nests too deep");
          stack.push_back(global);
          break;
        case 0xB:
          if (stack.empty())
            return fail("pop without push");
          global = stack.back();
          stack.pop_back();
          break;
        default: return fail("unknown global item");
      }
      continue;
    }

    if (type == 2) {  // local
      switch (tag) {
        case 0x0:
          if (local.usages.size() >= kMaxUsages)
            return fail("too many usages");
          local.usages.push_back(Unsigned(data));
          local.explicitPage.push_back(size == 4);
          break;
        case 0x1: local.usageMin = Unsigned(data); local.minExplicitPage = size == 4; break;
        case 0x2: local.usageMax = Unsigned(data); local.maxExplicitPage = size == 4; break;
        default: break;  // designators, strings, delimiters: not needed here
      }
      continue;
    }

    if (type != 0)
      return fail("reserved item type");

    switch (tag) {
      case 0xA: {  // collection
        if (depth == 0) {
          HidCollection collection;
          collection.usagePage = global.usagePage;
          if (!local.usages.empty()) {
            const uint32_t usage = local.usages.front();
            if (local.explicitPage.front())
              collection.usagePage = static_cast<uint16_t>(usage >> 16);
            collection.usage = static_cast<uint16_t>(usage & 0xFFFF);
          }
          result.collections_.push_back(std::move(collection));
          top = &result.collections_.back();
        }
        if (++depth > 32)
          return fail("collections nest too deep");
        local.Clear();
        break;
      }
      case 0xC:  // end collection
        if (depth == 0)
          return fail("end collection without collection");
        --depth;
        local.Clear();
        break;
      case 0x8: case 0x9: case 0xB: {  // input, output, feature
        if (top == nullptr || depth == 0)
          return fail("main item outside a collection");
        const uint32_t flags = Unsigned(data);
        if (global.reportSize == 0 || global.reportSize > 32)
          return fail("report size must be 1 to 32 bits");
        if (global.reportCount > kMaxReportCount)
          return fail("report count too large");
        HidField field;
        field.type = tag == 0x8 ? ReportType::Input : tag == 0x9 ? ReportType::Output
                                                                 : ReportType::Feature;
        field.reportId = global.reportId;
        field.usagePage = global.usagePage;
        field.isConstant = (flags & 0x01) != 0;
        field.isArray = (flags & 0x02) == 0;
        field.bitSize = global.reportSize;
        field.count = global.reportCount;
        field.logicalMin = global.logicalMin;
        field.logicalMax = global.logicalMax;
        // A maximum written in one or two bytes with its top bit set reads as
        // negative; with a non-negative minimum it was meant unsigned.
        if (global.logicalMin >= 0 && global.logicalMax < 0 && global.logicalMaxSize < 4)
          field.logicalMax = static_cast<int32_t>(global.logicalMaxRaw);
        field.physicalMin = global.physicalMin;
        field.physicalMax = global.physicalMax;
        if (local.usageMin || local.usageMax) {
          field.usageIsRange = true;
          field.usageMin =
              Extend(local.usageMin.value_or(0), local.minExplicitPage, global.usagePage);
          field.usageMax =
              Extend(local.usageMax.value_or(local.usageMin.value_or(0)), local.maxExplicitPage,
                     global.usagePage);
          if (field.usageMax < field.usageMin)
            return fail("usage maximum below usage minimum");
        }
        for (size_t u = 0; u < local.usages.size(); ++u)
          field.usages.push_back(Extend(local.usages[u], local.explicitPage[u], global.usagePage));
        if (!field.usages.empty() && !field.usageIsRange)
          field.usagePage = static_cast<uint16_t>(field.usages.front() >> 16);
        else if (field.usageIsRange)
          field.usagePage = static_cast<uint16_t>(field.usageMin >> 16);

        const auto key = std::make_pair(static_cast<int>(field.type), field.reportId);
        uint32_t& bits = reportBits[key];
        field.bitOffset = bits;
        bits += field.bitSize * field.count;
        if (bits > kMaxReportBits)
          return fail("report too long");
        const size_t index = static_cast<size_t>(top - result.collections_.data());
        auto [it, inserted] = owner.emplace(key, index);
        if (!inserted && it->second != index)
          return fail("a report id is shared by two top-level collections");
        if (!field.isConstant)
          top->fields.push_back(std::move(field));
        local.Clear();
        break;
      }
      default:
        return fail("unknown main item");
    }
  }
  if (depth != 0)
    return fail("collection not closed");

  for (const auto& [key, index] : owner) {
    HidCollection& collection = result.collections_[index];
    const uint16_t bytesLong = static_cast<uint16_t>((reportBits[key] + 7) / 8 + 1);
    uint16_t* length = key.first == 0   ? &collection.inputReportLength
                       : key.first == 1 ? &collection.outputReportLength
                                        : &collection.featureReportLength;
    *length = std::max(*length, bytesLong);
    if (!collection.HasReportId(key.second)) {
      collection.reportIds.push_back(key.second);
      std::sort(collection.reportIds.begin(), collection.reportIds.end());
    }
  }
  return result;
}

}  // namespace hid
