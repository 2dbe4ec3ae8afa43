#pragma once

#include <QJsonValue>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace control {

// Why a request was refused: a code scripts branch on ("bad-request",
// "unknown-device", "out-of-range", "not-answering", "busy",
// "needs-program") and a sentence for people.
struct Failure {
  QString code;
  QString text;
};

// A whole number of a request member, or nothing (a fraction or text is
// not one).
std::optional<int64_t> Whole(const QJsonValue& value);

// "RRGGBB", upper case.
QString HexColour(uint8_t red, uint8_t green, uint8_t blue);

// The readable text of a text id (a mode's name); the id itself when no
// text is known.
using TextOf = std::function<QString(const std::string& id)>;

}  // namespace control
