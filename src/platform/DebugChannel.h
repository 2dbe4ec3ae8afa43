#pragma once

#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The program's diagnostic channel. Every call is one UTF-8 line; it reaches
// stderr when TRAVIX_DEBUG=1 and every capture that is installed.
void DebugOutput(std::string_view text);
void DebugPrint(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Whether a line would go anywhere (stderr or a capture): lets hot paths skip
// formatting what nobody reads.
bool DebugActive();

// Collects the debug lines written while it exists (tests, diagnostics).
// Captures may nest; each sees every line written during its lifetime.
class DebugCapture {
 public:
  DebugCapture();
  ~DebugCapture();
  DebugCapture(const DebugCapture&) = delete;
  DebugCapture& operator=(const DebugCapture&) = delete;

  std::vector<std::string> Lines() const;
  bool Contains(std::string_view fragment) const;
  void Clear();

 private:
  friend void DebugOutput(std::string_view text);
  void Append(std::string line);

  mutable std::mutex* mutex_;
  std::vector<std::string> lines_;
};

}  // namespace platform
