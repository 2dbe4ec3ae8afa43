#include "travixctl/Program.h"

#include <QThread>
#include <chrono>

#include "platform/DeviceLock.h"
#include "platform/LocalMessageServer.h"
#include "travixctl/CommandLine.h"
#include "travixctl/ControlClient.h"
#include "travixctl/Output.h"
#include "travixctl/StandaloneControl.h"

namespace travixctl {

namespace {

constexpr int kLockRetryMs = 50;

// Asks the running Travix; when none runs, takes the device lock and does
// the work itself. While another program holds the lock without a Travix
// answering (a Travix starting, another travixctl at work), it tries both
// again until the time is up.
ControlReply Carry(const Invocation& invocation) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(invocation.timeoutMs);
  auto left = [&deadline] {
    return static_cast<int>(
        std::max<int64_t>(1, std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count()));
  };
  platform::DeviceLock lock;
  for (;;) {
    ControlClient client(platform::LocalMessageServer::SocketPath(), invocation.timeoutMs);
    ControlReply reply = client.Send(invocation.request);
    if (reply.reached)
      return reply;
    if (lock.TryLock())
      return StandaloneControl(left()).Handle(invocation.request);
    if (!lock.Error().isEmpty()) {
      reply.text = QStringLiteral("Travix is not running, and the devices cannot be locked (%1)").arg(lock.Error());
      return reply;
    }
    if (Clock::now() >= deadline) {
      const QString holder = lock.Holder();
      ControlReply busy;
      busy.exitStatus = kExitBusy;
      busy.error = QStringLiteral("busy");
      busy.text = QStringLiteral("the devices are in use by %1; try again")
                      .arg(holder.isEmpty() ? QStringLiteral("another program") : holder);
      return busy;
    }
    QThread::msleep(kLockRetryMs);
  }
}

}  // namespace

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

  const ControlReply reply = Carry(invocation);
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
