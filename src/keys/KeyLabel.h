#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "keys/KeyTables.h"

namespace keys {

// Turns a language id into its text (UTF-8).
using TextLookup = std::function<std::string(std::string_view id)>;

// What a key or button label is computed for.
struct LabelContext {
  bool keyboard = true;  // false: a mouse
  bool fnLayer = false;  // keyboard only: the Fn layer is shown
  // Names of the profile's macros, in macro-index order.
  const std::vector<std::string>* macroNames = nullptr;
  TextLookup text;
};

// The text shown for a function. No value: the label stays as it is.
std::optional<std::string> KeyLabel(FunctionCode code, const LabelContext& context);

// Text on a key that is switched off by a function the program cannot name.
inline constexpr const char* kUnnamedFunctionText = "关闭";

}  // namespace keys
