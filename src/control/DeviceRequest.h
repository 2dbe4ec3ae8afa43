#pragma once

#include <QJsonObject>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>

#include "control/RequestValues.h"

namespace control {

// The device words of the requests, in the order "list" names the kinds.
inline constexpr std::array<const char*, 4> kDeviceWords = {"keyboard", "mouse", "pad", "headset"};

// The device a request's "device" (a word of kDeviceWords) and "index"
// (from 1; 1 without it) name. `attached` gives how many devices of a kind
// are there. On success `word` is the kind's word and `index` counts from
// 0; a failure says why: "bad-request" for a word or index that is none,
// "unknown-device" for one that is not attached.
std::optional<Failure> ChooseDevice(const QJsonObject& args, const std::function<size_t(const QString&)>& attached,
                                    QString& word, size_t& index);

// One device as "list" shows it. `version` is the interface's bcdDevice (0:
// not known), `charge` the battery percentage (out of 1..100: not known).
QJsonObject DeviceEntry(const QString& word, size_t number, bool receiver, bool online, uint16_t version,
                        int charge);

}  // namespace control
