#include "platform/DebugChannel.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace platform {
namespace {

// Never destroyed: a worker left running at exit may still write a line.
std::mutex& ChannelMutex() {
  static std::mutex* mutex = new std::mutex;
  return *mutex;
}

std::vector<DebugCapture*>& Captures() {
  static auto* captures = new std::vector<DebugCapture*>;
  return *captures;
}

bool StderrEnabled() {
  static const bool enabled = [] {
    const char* value = std::getenv("TRAVIX_DEBUG");
    return value != nullptr && std::strcmp(value, "1") == 0;
  }();
  return enabled;
}

}  // namespace

void DebugOutput(std::string_view text) {
  // Callers often end their text with "\n"; the channel adds its own.
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
    text.remove_suffix(1);
  std::string line(text);
  std::lock_guard lock(ChannelMutex());
  if (StderrEnabled()) {
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fputc('\n', stderr);
  }
  for (DebugCapture* capture : Captures())
    capture->Append(line);
}

bool DebugActive() {
  if (StderrEnabled())
    return true;
  std::lock_guard lock(ChannelMutex());
  return !Captures().empty();
}

void DebugPrint(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  const int length = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string text;
  if (length > 0) {
    text.resize(static_cast<size_t>(length) + 1);
    std::vsnprintf(text.data(), text.size(), format, args);
    text.resize(static_cast<size_t>(length));
  }
  va_end(args);
  DebugOutput(text);
}

DebugCapture::DebugCapture() : mutex_(&ChannelMutex()) {
  std::lock_guard lock(*mutex_);
  Captures().push_back(this);
}

DebugCapture::~DebugCapture() {
  std::lock_guard lock(*mutex_);
  auto& captures = Captures();
  captures.erase(std::remove(captures.begin(), captures.end(), this), captures.end());
}

std::vector<std::string> DebugCapture::Lines() const {
  std::lock_guard lock(*mutex_);
  return lines_;
}

bool DebugCapture::Contains(std::string_view fragment) const {
  std::lock_guard lock(*mutex_);
  return std::any_of(lines_.begin(), lines_.end(), [&](const std::string& line) {
    return line.find(fragment) != std::string::npos;
  });
}

void DebugCapture::Clear() {
  std::lock_guard lock(*mutex_);
  lines_.clear();
}

// Called with the channel mutex held.
void DebugCapture::Append(std::string line) { lines_.push_back(std::move(line)); }

}  // namespace platform
