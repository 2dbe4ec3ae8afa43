#pragma once

#include <atomic>

#include "platform/ScreenMetrics.h"
#include "platform/WindowMessageTypes.h"

namespace platform {
class LocalMessageServer;
struct SocketMessage;
}

// Values the shell keeps for the whole process. The main window's handle and
// the running flag are read by worker threads.
class ShellState {
 public:
  static platform::WindowHandle MainWindow() { return mainWindow_.load(); }
  static void SetMainWindow(platform::WindowHandle window) { mainWindow_.store(window); }

  static int ScreenWidth() { return platform::ScreenMetrics::Width(); }
  static int ScreenHeight() { return platform::ScreenMetrics::Height(); }
  static void SetScreenSize(int width, int height) { platform::ScreenMetrics::Set(width, height); }

  // Cleared while the machine sleeps, set again on resume.
  static bool IsRunning() { return running_.load() != 0; }
  static void SetRunning(bool running) { running_.store(running ? 1 : 0); }

  // The local socket, for broadcasts to other programs (UI thread only).
  static void SetMessageServer(platform::LocalMessageServer* server) { server_ = server; }
  static platform::LocalMessageServer* MessageServer() { return server_; }
  static void BroadcastToOtherPrograms(const platform::SocketMessage& message);
  // A message from another program reaches the main window as if posted to
  // it; a copy-data record is sent and lives for the call.
  static void DeliverFromOtherProgram(const platform::SocketMessage& message);

 private:
  static inline std::atomic<platform::WindowHandle> mainWindow_{0};
  static inline std::atomic<int> running_{1};
  static inline platform::LocalMessageServer* server_ = nullptr;
};
