#pragma once

#include <QString>
#include <string>

namespace control {

// The English text of a language text id (a mode's, a key's or a
// function's name), from the skin's English language file; the id itself
// when it has none. Scripts meet the same names whatever language the
// window shows.
QString EnglishText(const std::string& id);

}  // namespace control
