// travixctl: asks the running Travix to do things over its local socket
// (list the devices, show or set the lighting and a mouse's DPI stages, send
// game events, list and select profiles), or does them on the devices itself
// when Travix is not running. "travixctl --help" lists the commands and exit
// statuses.
#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

#include "platform/ThreadRole.h"
#include "travixctl/Program.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("travixctl"));
  // The device exchanges run on the cores' workers, never here.
  platform::MarkUiThread();
  QTextStream out(stdout);
  QTextStream err(stderr);
  return travixctl::Run(QCoreApplication::arguments(), out, err);
}
