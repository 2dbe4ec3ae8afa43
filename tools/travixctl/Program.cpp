#include "travixctl/Program.h"

#include "platform/LocalMessageServer.h"
#include "travixctl/CommandLine.h"
#include "travixctl/ControlClient.h"
#include "travixctl/Output.h"

namespace travixctl {

int Run(const QStringList& arguments, QTextStream& out, QTextStream& err) {
  const Invocation invocation = ParseCommandLine(arguments);
  switch (invocation.action) {
    case Invocation::Action::Help:
    case Invocation::Action::Version:
      out << invocation.text;
      return kExitOk;
    case Invocation::Action::Refuse:
      err << "travixctl: " << invocation.text << "\n"
          << "Try \"" << invocation.helpCommand << "\".\n";
      return kExitBadRequest;
    case Invocation::Action::Send:
      break;
  }

  QString why;
  if (platform::LocalMessageServer::SocketDirectory(&why).isEmpty()) {
    err << "travixctl: Travix is not running (" << why << ")\n";
    return kExitNotRunning;
  }
  ControlClient client(platform::LocalMessageServer::SocketPath(), invocation.timeoutMs);
  const ControlReply reply = client.Send(invocation.request);
  if (!reply.Succeeded()) {
    err << "travixctl: " << reply.text << "\n";
    return reply.exitStatus;
  }
  if (invocation.json)
    out << ResultAsJson(reply.result) << "\n";
  else
    out << ResultAsText(invocation.request, reply.result);
  return kExitOk;
}

}  // namespace travixctl
