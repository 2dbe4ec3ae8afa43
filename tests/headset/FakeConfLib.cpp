// A stand-in for the audio library whose endpoints, answers and failures a
// test sets, and which keeps a log of what it was asked.
//
// TRAVIX_FAKE_CONFLIB holds ';'-separated settings:
//   render=KIND/ATTR4,KIND/ATTR4...   render endpoints in order
//   capture=KIND,KIND...              capture endpoints in order
//   features=TEXT                     the feature list (both endpoints; ',' kept)
//   fail=NAME,NAME...                 properties whose every call fails
//   init=N                            what ConfLibInit answers
//   NAME=VALUE                        a property's answer (read as its text)
// Volume properties answer 8-bit text, the others UTF-16.

#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "headset/conflib/osConfLib.h"

namespace {

struct Settings {
  std::vector<OsConfEndpoint> render;
  std::vector<OsConfEndpoint> capture;
  std::string features = "131072,0,0,0,1,0,1";
  std::vector<std::string> fail;
  int init = 0;
  std::map<std::string, std::string> answers;
};

std::mutex mutex;
std::string log;
std::map<std::string, std::string> written;

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= text.size()) {
    const size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos)
      break;
    start = end + 1;
  }
  return parts;
}

Settings Read() {
  Settings settings;
  const char* text = std::getenv("TRAVIX_FAKE_CONFLIB");
  if (text == nullptr)
    return settings;
  uint32_t id = 1;
  for (const std::string& item : Split(text, ';')) {
    const size_t equals = item.find('=');
    if (equals == std::string::npos)
      continue;
    const std::string key = item.substr(0, equals);
    const std::string value = item.substr(equals + 1);
    if (key == "render") {
      for (const std::string& endpoint : Split(value, ',')) {
        const auto parts = Split(endpoint, '/');
        settings.render.push_back({id++, static_cast<uint32_t>(std::stoul(parts[0])), 0,
                                   parts.size() > 1 ? static_cast<uint32_t>(std::stoul(parts[1])) : 0});
      }
    } else if (key == "capture") {
      for (const std::string& kind : Split(value, ','))
        settings.capture.push_back({id++, static_cast<uint32_t>(std::stoul(kind)), 0, 0});
    } else if (key == "features") {
      settings.features = value;
    } else if (key == "fail") {
      settings.fail = Split(value, ',');
    } else if (key == "init") {
      settings.init = std::stoi(value);
    } else {
      settings.answers[key] = value;
    }
  }
  return settings;
}

std::string Narrow(const char16_t* text) {
  std::string narrow;
  for (; text != nullptr && *text != 0; ++text)
    narrow += static_cast<char>(*text);
  return narrow;
}

bool IsVolume(const std::string& name) {
  return name.find("Vol") != std::string::npos;
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) int ConfLibInit() { return Read().init; }

__attribute__((visibility("default"))) int CreateDeviceList() { return 0; }

__attribute__((visibility("default"))) int GetDeviceCount(int flow, unsigned* count) {
  const Settings settings = Read();
  *count = static_cast<unsigned>(flow == 0 ? settings.render.size() : settings.capture.size());
  return 0;
}

__attribute__((visibility("default"))) int GetDeviceById(int flow, unsigned index,
                                                         OsConfEndpoint* endpoint) {
  const Settings settings = Read();
  const auto& list = flow == 0 ? settings.render : settings.capture;
  if (index >= list.size())
    return 1;
  *endpoint = list[index];
  return 0;
}

__attribute__((visibility("default"))) int PropertyControl(OsConfEndpoint endpoint,
                                                           const char16_t* property, void** value,
                                                           void** parameter, int set) {
  const Settings settings = Read();
  const std::string name = Narrow(property);
  std::lock_guard lock(mutex);
  log += (set ? "set " : "get ") + name + "@" + std::to_string(endpoint.id);
  if (parameter != nullptr) {
    int32_t channel = 0;
    std::memcpy(&channel, *parameter, sizeof channel);
    log += "(" + std::to_string(channel) + ")";
  }
  if (set) {
    int32_t raw = 0;
    std::memcpy(&raw, *value, sizeof raw);
    float scalar = 0;
    std::memcpy(&scalar, *value, sizeof scalar);
    const std::string text = IsVolume(name) ? std::to_string(scalar) : std::to_string(raw);
    log += "=" + text;
    written[name] = text;
  }
  log += "\n";
  for (const std::string& failing : settings.fail)
    if (failing == name)
      return 1;
  if (set)
    return 0;
  std::string answer;
  if (name == "GetSupportFeature")
    answer = settings.features;
  else if (auto it = settings.answers.find(name); it != settings.answers.end())
    answer = it->second;
  else if (auto it = written.find(name); it != written.end())
    answer = it->second;
  else
    answer = "0";
  auto* buffer = static_cast<char*>(*value);
  if (name == "GetSupportFeature" || IsVolume(name)) {
    std::strncpy(buffer, answer.c_str(), kOsConfBufferBytes - 1);
  } else {
    auto* wide = static_cast<char16_t*>(*value);
    size_t i = 0;
    for (; i < answer.size() && i + 1 < kOsConfBufferBytes / 2; ++i)
      wide[i] = static_cast<char16_t>(answer[i]);
    wide[i] = 0;
  }
  return 0;
}

// The calls so far, one line each, and forgets them.
__attribute__((visibility("default"))) const char* FakeTakeLog() {
  static std::string taken;
  std::lock_guard lock(mutex);
  taken = log;
  log.clear();
  return taken.c_str();
}

__attribute__((visibility("default"))) void FakeReset() {
  std::lock_guard lock(mutex);
  log.clear();
  written.clear();
}

}  // extern "C"
