#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "protocol/DeviceInfo.h"

class DeviceCore;

// Sending the macros a device's keys use as one image into its macro memory
// (keyboards and mice alike).
namespace macro_download {

// The image of the macros `used` (list indices, in the device's scan order),
// each file read once from `folder`: result 0 with the image (empty when
// nothing is used), a positive count of events too many for `capacity`
// bytes, or -1 when no image can be made.
struct Plan {
  int result = 0;
  std::vector<uint8_t> image;
};
Plan PlanImage(const std::vector<int>& used, const QString& folder, size_t capacity);

// Sends `image` on the core's worker; the information block is read again
// first, and a device that reports less memory now is not sent more than it
// holds. `done` (UI thread) gets the information block when it was read, and
// 1 when every command was answered.
void SendImage(DeviceCore& core, std::vector<uint8_t> image,
               std::function<void(std::optional<protocol::DeviceInfo>, int)> done);

}  // namespace macro_download
