#pragma once

#include <QString>
#include <QStringList>

#include "travixctl/ControlClient.h"

namespace travixctl {

// What travixctl was asked to do.
struct Invocation {
  enum class Action { Send, Help, Version, Refuse };

  Action action = Action::Refuse;
  ControlRequest request;  // for Send
  bool json = false;
  int timeoutMs = ControlClient::kDefaultTimeoutMs;
  // The help or version text; for a refusal, what is wrong with the arguments.
  QString text;
  // For a refusal: the help that explains the command ("travixctl light --help").
  QString helpCommand;
};

// Reads travixctl's arguments (the first one is the program's name) into a
// request. What can be checked without Travix is checked here: device words
// and their numbers, levels 0-4, colours, directions, DPI stages and values,
// report rate positions, game event names and numbers, profile numbers, a
// file to import being readable; FILE is sent as an absolute path. The
// arguments go through Qt's QCommandLineParser: once for the
// options before the command word, once more with the command's own options.
Invocation ParseCommandLine(const QStringList& arguments);

}  // namespace travixctl
