#pragma once

namespace platform {
class LocalMessageServer;
}

// A hook for UI tests that drive the program from outside. With it, the local
// socket also takes the line
//   {"message": "Travix.Test.Notify", "type": TYPE, "control": NAME,
//    "text": TEXT, "value": N, "index": N}
// and performs that user action ("click", "settext", "setvalue", "select") on
// the first visible, enabled control of that name in the shown windows, the
// modal or active window first. The client that asked gets
//   {"message": "Travix.Test.Result", "ok": true}
// or "ok": false with an "error". The program installs it only when it runs
// with TRAVIX_TEST_UI=1; docs/test-hook.md describes the line and the actions.
namespace TestUiHook {

inline constexpr const char* kRequestName = "Travix.Test.Notify";
inline constexpr const char* kResultName = "Travix.Test.Result";

// Whether the environment turns the hook on: TRAVIX_TEST_UI is exactly "1".
bool RequestedByEnvironment();

// Lets `server` take the hook's line; actions run on the UI thread, where
// the server reads its clients.
void Install(platform::LocalMessageServer& server);

}  // namespace TestUiHook
