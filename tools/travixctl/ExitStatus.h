#pragma once

#include <QString>

namespace travixctl {

// travixctl's exit statuses. An error reply's code maps to one of them;
// scripts tell the failures apart by them.
enum ExitStatus : int {
  kExitOk = 0,
  kExitFailed = 1,          // any other failure
  kExitBadRequest = 3,      // "bad-request", and arguments refused before asking
  kExitUnknownDevice = 4,   // "unknown-device"
  kExitOutOfRange = 5,      // "out-of-range"
  kExitNotAnswering = 6,    // "not-answering": the device; the profile keeps the value
  kExitBusy = 7,            // "busy": a modal dialog, a macro recording
  kExitNeedsProgram = 8,    // "needs-program"
  kExitNotRunning = 9,      // no socket, or no answer in time
};

// The status for an error reply's code; kExitFailed for a code this tool
// does not know.
int ExitStatusForError(const QString& code);

// The "Exit status:" block that ends every --help.
QString ExitStatusHelp();

}  // namespace travixctl
