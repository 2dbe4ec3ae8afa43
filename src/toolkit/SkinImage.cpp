#include "toolkit/SkinImage.h"

#include "toolkit/SkinValue.h"

namespace toolkit {

std::optional<SkinImage> SkinImage::Parse(const QString& text) {
  SkinImage image;
  const QString trimmed = text.trimmed();
  if (trimmed.isEmpty())
    return image;
  if (!trimmed.contains('=')) {
    image.file = trimmed;
    return image;
  }
  auto attributes = SkinValue::ParseAttributeList(trimmed);
  if (!attributes)
    return std::nullopt;
  for (const auto& [name, value] : *attributes) {
    if (name == "file" || name == "res") {
      image.file = value;
    } else if (name == "source") {
      image.source = SkinValue::ParseRectLTRB(value);
      if (!image.source)
        return std::nullopt;
    } else if (name == "dest") {
      image.dest = SkinValue::ParseRectLTRB(value);
      if (!image.dest)
        return std::nullopt;
    } else if (name == "corner") {
      auto corner = SkinValue::ParseMargins(value);
      if (!corner)
        return std::nullopt;
      image.corner = *corner;
    } else if (name == "fade") {
      auto fade = SkinValue::ParseInt(value);
      if (!fade)
        return std::nullopt;
      image.fade = std::clamp(*fade, 0, 255);
    } else if (name == "mask" || name == "hole" || name == "xtiled" || name == "ytiled" ||
               name == "restype") {
      // Accepted for layouts written with them; drawing ignores them.
    } else {
      return std::nullopt;
    }
  }
  if (image.file.isEmpty())
    return std::nullopt;
  return image;
}

}  // namespace toolkit
