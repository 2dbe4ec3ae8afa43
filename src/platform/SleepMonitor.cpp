#include "platform/SleepMonitor.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusUnixFileDescriptor>

#include "platform/DebugChannel.h"

namespace platform {
namespace {

constexpr const char* kService = "org.freedesktop.login1";
constexpr const char* kPath = "/org/freedesktop/login1";
constexpr const char* kInterface = "org.freedesktop.login1.Manager";
// A bus that accepts the connection but does not answer must not freeze the
// window at start-up; logind answers in milliseconds when it is there.
constexpr int kCallTimeoutMs = 2000;

}  // namespace

SleepMonitor::SleepMonitor(QObject* parent) : QObject(parent) {}

SleepMonitor::SleepMonitor(const QDBusConnection& bus, QObject* parent)
    : QObject(parent), busName_(bus.name()) {}

SleepMonitor::~SleepMonitor() = default;

QDBusConnection SleepMonitor::Bus() const {
  return busName_.isEmpty() ? QDBusConnection::systemBus() : QDBusConnection(busName_);
}

bool SleepMonitor::Start() {
  if (started_)
    return true;
  QDBusConnection bus = Bus();
  if (!bus.isConnected()) {
    DebugPrint("SleepMonitor: no system bus (%s); suspend and resume go unnoticed",
               qPrintable(bus.lastError().message()));
    return false;
  }
  // Asked directly rather than through bus.interface(), whose calls wait up
  // to the default 25 seconds.
  QDBusMessage ask = QDBusMessage::createMethodCall(
      "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "NameHasOwner");
  ask << QString::fromLatin1(kService);
  const QDBusMessage answer = bus.call(ask, QDBus::Block, kCallTimeoutMs);
  if (answer.type() != QDBusMessage::ReplyMessage || !answer.arguments().value(0).toBool()) {
    DebugPrint("SleepMonitor: logind is not on the system bus; suspend and resume go unnoticed");
    return false;
  }
  if (!bus.connect(kService, kPath, kInterface, "PrepareForSleep", this,
                   SLOT(OnPrepareForSleep(bool)))) {
    DebugPrint("SleepMonitor: cannot subscribe to PrepareForSleep (%s)",
               qPrintable(bus.lastError().message()));
    return false;
  }
  started_ = true;
  TakeDelayLock();
  return true;
}

void SleepMonitor::OnPrepareForSleep(bool start) {
  if (start != sleeping_) {
    sleeping_ = start;
    emit SleepChanged(start);
  }
  if (start) {
    // Closing our copy of the descriptor is how logind learns we are ready.
    lock_.reset();
  } else if (started_) {
    TakeDelayLock();
  }
}

void SleepMonitor::TakeDelayLock() {
  if (lock_ || lockPending_)
    return;
  QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, "Inhibit");
  call << QStringLiteral("sleep") << QStringLiteral("Travix")
       << QStringLiteral("Stops talking to devices before the suspend") << QStringLiteral("delay");
  // Asynchronous: this runs on the window thread, which must not wait for a
  // slow logind.
  auto* watcher = new QDBusPendingCallWatcher(Bus().asyncCall(call, kCallTimeoutMs), this);
  lockPending_ = true;
  connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
    w->deleteLater();
    lockPending_ = false;
    const QDBusPendingReply<QDBusUnixFileDescriptor> reply = *w;
    if (reply.isError() || !reply.value().isValid()) {
      DebugPrint("SleepMonitor: no sleep delay lock (%s)", qPrintable(reply.error().message()));
      return;
    }
    // Granted after the suspend was announced: holding it now would only
    // make logind wait out its delay. The next resume asks again.
    if (!sleeping_)
      lock_ = std::make_unique<QDBusUnixFileDescriptor>(reply.value());
  });
}

}  // namespace platform
