#pragma once

#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <QTextStream>

#include "travixctl/Program.h"

namespace testing_support {

// travixctl run in this process, as from a shell.
struct TravixctlOutcome {
  int status = -1;
  QString out;
  QString err;
  QJsonObject json;  // the --json output, parsed
};

inline TravixctlOutcome RunTravixctlHere(const QStringList& arguments) {
  TravixctlOutcome outcome;
  QTextStream out(&outcome.out);
  QTextStream err(&outcome.err);
  outcome.status = travixctl::Run(QStringList{"travixctl"} + arguments, out, err);
  out.flush();
  err.flush();
  if (arguments.contains("--json"))
    outcome.json = QJsonDocument::fromJson(outcome.out.toUtf8()).object();
  return outcome;
}

}  // namespace testing_support
