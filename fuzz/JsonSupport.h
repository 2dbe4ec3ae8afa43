#pragma once

// The JSON a program file holds once written: what the program's own saves
// must keep of a document is the document as it reads back after a write.
// The library's writer maps text that is not UTF-8 to other characters (the
// file did not hold JSON text there); the stream writer is used here because
// it also keeps a member name with a NUL in it whole.
#include <json/value.h>
#include <json/writer.h>

#include "profiles/JsonFile.h"

namespace fuzz {

inline Json::Value AsWritten(const Json::Value& value) {
  Json::StreamWriterBuilder builder;
  builder["indentation"] = "   ";
  return JsonFile::ParseText(Json::writeString(builder, value));
}

}  // namespace fuzz
