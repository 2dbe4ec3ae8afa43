#include "platform/ThreadRole.h"

#include <atomic>
#include <mutex>
#include <set>
#include <string>
#include <thread>

#include "platform/DebugChannel.h"

namespace platform {

namespace {

std::atomic<std::thread::id> uiThread{};
std::atomic<UiThreadWorkHandler> handler{nullptr};

void ReportOnce(const char* what) {
  static std::mutex mutex;
  static std::set<std::string> reported;
  std::lock_guard lock(mutex);
  if (reported.insert(what).second)
    DebugPrint("device work on the UI thread: %s", what);
}

}  // namespace

void MarkUiThread() { uiThread = std::this_thread::get_id(); }

bool IsUiThread() { return uiThread.load() == std::this_thread::get_id(); }

void CheckNotUiThread(const char* what) {
  if (!IsUiThread())
    return;
  if (UiThreadWorkHandler h = handler.load())
    h(what);
  else
    ReportOnce(what);
}

void SetUiThreadWorkHandler(UiThreadWorkHandler h) { handler = h; }

}  // namespace platform
