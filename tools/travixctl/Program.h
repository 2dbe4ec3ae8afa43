#pragma once

#include <QStringList>
#include <QTextStream>

namespace travixctl {

// One run of travixctl: reads `arguments` (the first is the program's name),
// asks the running Travix over LocalMessageServer::SocketPath(), writes the
// answer to `out` and complaints to `err`. Returns the exit status.
// Needs a QCoreApplication.
int Run(const QStringList& arguments, QTextStream& out, QTextStream& err);

}  // namespace travixctl
