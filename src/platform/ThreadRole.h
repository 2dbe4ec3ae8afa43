#pragma once

namespace platform {

// The thread that owns the windows. Device exchanges and the pauses of
// device operations never run on it: they belong to a device's worker.
void MarkUiThread();
bool IsUiThread();

// Called where such work starts: on the UI thread it reports `what` to the
// handler (by default one debug line per kind of work). Test programs
// install a handler that fails the running test.
void CheckNotUiThread(const char* what);
using UiThreadWorkHandler = void (*)(const char* what);
void SetUiThreadWorkHandler(UiThreadWorkHandler handler);

}  // namespace platform
