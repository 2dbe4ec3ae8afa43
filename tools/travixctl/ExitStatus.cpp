#include "travixctl/ExitStatus.h"

namespace travixctl {

int ExitStatusForError(const QString& code) {
  struct Entry {
    const char* code;
    int status;
  };
  static constexpr Entry kTable[] = {
      {"bad-request", kExitBadRequest},     {"unknown-device", kExitUnknownDevice},
      {"out-of-range", kExitOutOfRange},    {"not-answering", kExitNotAnswering},
      {"busy", kExitBusy},                  {"needs-program", kExitNeedsProgram},
  };
  for (const Entry& entry : kTable) {
    if (code == QLatin1String(entry.code))
      return entry.status;
  }
  return kExitFailed;
}

QString ExitStatusHelp() {
  return QStringLiteral(
      "Exit status:\n"
      "  0  done\n"
      "  1  any other failure\n"
      "  3  bad request: wrong arguments (most are checked before asking Travix)\n"
      "  4  unknown device: no such device attached\n"
      "  5  out of range: a value the device does not take\n"
      "  6  the device did not answer; the profile keeps the value\n"
      "  7  Travix is busy (a dialog is open, a macro is being recorded)\n"
      "  8  the request needs the Travix program itself (needs-program)\n"
      "  9  Travix is not running, or did not answer in time\n");
}

}  // namespace travixctl
