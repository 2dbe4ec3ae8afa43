#include "platform/LocalMessageServer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalSocket>
#include <QPointer>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "platform/DebugChannel.h"
#include "platform/WindowMessages.h"

namespace platform {

namespace {

constexpr const char* kSocketName = "travix.sock";
constexpr const char* kLockName = "travix.lock";

void Debug(const QString& text) { DebugOutput(("socket: " + text).toStdString()); }

}  // namespace

LocalMessageServer::LocalMessageServer(QObject* parent) : QObject(parent) {}

LocalMessageServer::~LocalMessageServer() { Stop(); }

QString LocalMessageServer::SocketDirectory(QString* error) {
  const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime) && QDir(runtime).exists())
    return runtime.endsWith('/') ? runtime : runtime + '/';

  // $TMPDIR is honoured (it is /tmp unless the user moved it).
  QString tmp = qEnvironmentVariable("TMPDIR");
  if (tmp.isEmpty() || !QDir::isAbsolutePath(tmp))
    tmp = QStringLiteral("/tmp");
  while (tmp.size() > 1 && tmp.endsWith('/'))
    tmp.chop(1);
  const QString dir = QStringLiteral("%1/travix-%2").arg(tmp).arg(getuid());
  const QByteArray native = QFile::encodeName(dir);
  if (mkdir(native.constData(), 0700) != 0 && errno != EEXIST) {
    if (error != nullptr)
      *error = QStringLiteral("cannot create %1").arg(dir);
    return {};
  }
  struct stat info {};
  // lstat: a symbolic link planted by someone else is refused as well.
  if (lstat(native.constData(), &info) != 0 || !S_ISDIR(info.st_mode) ||
      info.st_uid != getuid()) {
    if (error != nullptr)
      *error = QStringLiteral("%1 is not a folder of this user").arg(dir);
    return {};
  }
  if ((info.st_mode & 077) != 0 && chmod(native.constData(), 0700) != 0) {
    if (error != nullptr)
      *error = QStringLiteral("%1 is open to other users").arg(dir);
    return {};
  }
  return dir + '/';
}

QString LocalMessageServer::SocketPath() {
  const QString dir = SocketDirectory();
  return dir.isEmpty() ? QString() : dir + kSocketName;
}

struct LocalMessageServer::Client {
  QPointer<QLocalSocket> socket;  // null once deleted
  bool connected = true;
  QByteArray buffer;        // the line being received
  bool discarding = false;  // inside a line that was too long
  QElapsedTimer lastData;   // when the client last sent anything
  std::deque<QByteArray> lines;  // complete lines waiting to be handled
  bool dispatchPosted = false;
  int handling = 0;  // lines of this client whose handler runs now
  bool waitingForAnswer = false;  // the last line taken is neither answered nor done

  bool HasUnfinishedLine() const { return !buffer.isEmpty() || discarding; }
};

LocalMessageServer::StartResult LocalMessageServer::Start() {
  if (listenFd_ >= 0)
    return StartResult::Listening;
  QString error;
  const QString dir = SocketDirectory(&error);
  if (dir.isEmpty()) {
    Debug(error);
    return StartResult::Failed;
  }
  const QByteArray lockPath = QFile::encodeName(dir + kLockName);
  lockFd_ = open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (lockFd_ < 0) {
    Debug(QStringLiteral("cannot open the lock file %1").arg(QString::fromLocal8Bit(lockPath)));
    return StartResult::Failed;
  }
  if (flock(lockFd_, LOCK_EX | LOCK_NB) != 0) {
    close(lockFd_);
    lockFd_ = -1;
    return StartResult::OtherInstance;
  }

  // The listening socket is our own rather than QLocalServer's: that one
  // closes and unlinks its socket when a single accept fails (out of file
  // descriptors, say), and the program could never be reached again.
  const QString path = dir + kSocketName;
  const QByteArray native = QFile::encodeName(path);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (static_cast<size_t>(native.size()) >= sizeof(address.sun_path)) {
    Debug(QStringLiteral("the socket path %1 is too long").arg(path));
    Stop();
    return StartResult::Failed;
  }
  std::memcpy(address.sun_path, native.constData(), static_cast<size_t>(native.size()));
  // We own the lock: whatever socket file is there was left by an instance
  // that is gone.
  ::unlink(native.constData());
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0 || ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0 ||
      ::chmod(native.constData(), 0600) != 0 || ::listen(fd, SOMAXCONN) != 0) {
    Debug(QStringLiteral("cannot listen on %1: %2").arg(path, QString::fromLocal8Bit(strerror(errno))));
    if (fd >= 0)
      ::close(fd);
    Stop();
    return StartResult::Failed;
  }
  listenFd_ = fd;
  socketPath_ = path;
  acceptNotifier_ = new QSocketNotifier(fd, QSocketNotifier::Read, this);
  // Enabled by a call, not only by default: the accept path switches it off
  // when the process is out of descriptors, and a sanitizer's type check of
  // that call needs a descriptor of its own unless it has seen the type.
  acceptNotifier_->setEnabled(true);
  connect(acceptNotifier_, &QSocketNotifier::activated, this, &LocalMessageServer::AcceptPending);
  acceptPause_ = new QTimer(this);
  acceptPause_->setSingleShot(true);
  connect(acceptPause_, &QTimer::timeout, this, [this] {
    acceptNotifier_->setEnabled(true);
    AcceptPending();
  });
  unfinishedCheck_ = new QTimer(this);
  unfinishedCheck_->setSingleShot(true);
  connect(unfinishedCheck_, &QTimer::timeout, this, &LocalMessageServer::CheckUnfinishedLines);
  return StartResult::Listening;
}

bool LocalMessageServer::IsListening() const { return listenFd_ >= 0; }

void LocalMessageServer::Stop() {
  for (const ClientPtr& client : clients_.values()) {
    client->connected = false;
    client->lines.clear();
    if (client->socket) {
      client->socket->disconnect(this);
      client->socket->abort();
      client->socket->deleteLater();
    }
  }
  clients_.clear();
  delete acceptNotifier_;
  acceptNotifier_ = nullptr;
  delete acceptPause_;
  acceptPause_ = nullptr;
  delete unfinishedCheck_;
  unfinishedCheck_ = nullptr;
  if (listenFd_ >= 0) {
    ::close(listenFd_);
    listenFd_ = -1;
    ::unlink(QFile::encodeName(socketPath_).constData());
  }
  if (lockFd_ >= 0) {
    flock(lockFd_, LOCK_UN);
    close(lockFd_);
    lockFd_ = -1;
  }
}

void LocalMessageServer::AcceptPending() {
  while (listenFd_ >= 0) {
    const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd >= 0) {
      AddClient(fd);
      continue;
    }
    if (errno == EINTR || errno == ECONNABORTED)
      continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK)
      return;
    // Out of descriptors or memory: the connection stays queued in the
    // kernel and is taken when accepting resumes. The socket stays.
    Debug(QStringLiteral("accept failed (%1); accepting again in %2 ms")
              .arg(QString::fromLocal8Bit(strerror(errno)))
              .arg(limits_.acceptPauseMs));
    acceptNotifier_->setEnabled(false);
    acceptPause_->start(limits_.acceptPauseMs);
    return;
  }
}

void LocalMessageServer::AddClient(int fd) {
  struct ucred peer {};
  socklen_t length = sizeof(peer);
  if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) != 0 || peer.uid != getuid()) {
    Debug(QStringLiteral("refused a connection from user %1").arg(peer.uid));
    ::close(fd);
    return;
  }
  if (clients_.size() >= limits_.maxClients) {
    Debug(QStringLiteral("refused a connection: %1 clients are connected already")
              .arg(clients_.size()));
    ::close(fd);
    return;
  }
  auto* socket = new QLocalSocket(this);
  if (!socket->setSocketDescriptor(fd, QLocalSocket::ConnectedState, QIODevice::ReadWrite)) {
    Debug(QStringLiteral("cannot take a connection: %1").arg(socket->errorString()));
    ::close(fd);
    delete socket;
    return;
  }
  auto client = std::make_shared<Client>();
  client->socket = socket;
  client->lastData.start();
  clients_.insert(socket, client);
  // The slots only move bytes and post; no handler ever runs inside them.
  connect(socket, &QLocalSocket::readyRead, this, [this, client] { Read(client); });
  connect(socket, &QLocalSocket::disconnected, this, [this, client] { OnHangUp(client); });
}

void LocalMessageServer::Read(const ClientPtr& client) {
  if (!client->connected || client->socket.isNull())
    return;
  const QByteArray data = client->socket->readAll();
  if (data.isEmpty())
    return;
  client->lastData.start();
  client->buffer += data;
  qsizetype start = 0;
  for (qsizetype end; (end = client->buffer.indexOf('\n', start)) >= 0; start = end + 1) {
    if (client->discarding) {
      // The tail of a line already dropped.
      client->discarding = false;
      continue;
    }
    QByteArray line = client->buffer.mid(start, end - start);
    if (line.endsWith('\r'))
      line.chop(1);
    if (line.size() > SocketMessage::kMaxLineBytes) {
      Debug(QStringLiteral("dropped a line longer than %1 bytes").arg(SocketMessage::kMaxLineBytes));
      continue;
    }
    if (line.trimmed().isEmpty())
      continue;
    if (static_cast<int>(client->lines.size()) >= limits_.maxQueuedLines) {
      Close(client, QStringLiteral("closed a client with %1 lines waiting").arg(client->lines.size()));
      return;
    }
    client->lines.push_back(std::move(line));
  }
  client->buffer.remove(0, start);
  if (client->buffer.size() > SocketMessage::kMaxLineBytes) {
    if (!client->discarding)
      Debug(QStringLiteral("dropped a line longer than %1 bytes").arg(SocketMessage::kMaxLineBytes));
    client->discarding = true;
    client->buffer.clear();
  }
  if (client->HasUnfinishedLine() && !unfinishedCheck_->isActive())
    unfinishedCheck_->start(limits_.unfinishedLineMs);
  PostDispatch(client);
}

void LocalMessageServer::OnHangUp(const ClientPtr& client) {
  // Take what arrived with the hang-up: a message written just before
  // closing (a second start, travix-send) must not be lost.
  Read(client);
  if (!client->buffer.isEmpty() && !client->discarding)
    Debug(QStringLiteral("dropped an unfinished line of %1 bytes at hang-up").arg(client->buffer.size()));
  Detach(client);
  ReleaseSocketWhenDone(client);
}

void LocalMessageServer::Close(const ClientPtr& client, const QString& why) {
  Debug(why);
  client->lines.clear();
  QLocalSocket* socket = client->socket.data();
  Detach(client);
  if (socket != nullptr)
    socket->abort();
  ReleaseSocketWhenDone(client);
}

void LocalMessageServer::Detach(const ClientPtr& client) {
  client->connected = false;
  client->buffer.clear();
  client->discarding = false;
  if (client->socket) {
    clients_.remove(client->socket.data());
    client->socket->disconnect(this);
  }
}

void LocalMessageServer::ReleaseSocketWhenDone(const ClientPtr& client) {
  // A client is never destroyed while one of its lines is handled or waits.
  if (!client->connected && client->handling == 0 && client->lines.empty() && client->socket)
    client->socket->deleteLater();
}

void LocalMessageServer::PostDispatch(const ClientPtr& client) {
  if (client->dispatchPosted || client->waitingForAnswer || client->lines.empty())
    return;
  client->dispatchPosted = true;
  QMetaObject::invokeMethod(this, [this, client] { Dispatch(client); }, Qt::QueuedConnection);
}

void LocalMessageServer::Dispatch(const ClientPtr& client) {
  client->dispatchPosted = false;
  if (client->lines.empty()) {
    ReleaseSocketWhenDone(client);
    return;
  }
  const QByteArray line = std::move(client->lines.front());
  client->lines.pop_front();
  ++client->handling;
  client->waitingForAnswer = true;
  auto released = std::make_shared<bool>(false);
  const QPointer<LocalMessageServer> self(this);
  // The client's next line waits until this one is answered or done. A
  // handler that runs a nested event loop (a modal window that a later line
  // closes) answers first, and that loop then handles the next line; the
  // answers keep the order of the lines.
  const auto releaseNext = [self, client, released] {
    if (*released || self.isNull())
      return;
    *released = true;
    client->waitingForAnswer = false;
    self->PostDispatch(client);
  };
  HandleLine(client, line, releaseNext);
  --client->handling;
  releaseNext();
  if (!self.isNull())
    ReleaseSocketWhenDone(client);
}

void LocalMessageServer::CheckUnfinishedLines() {
  qint64 next = -1;
  for (const ClientPtr& client : clients_.values()) {
    if (!client->HasUnfinishedLine())
      continue;
    const qint64 idle = client->lastData.elapsed();
    if (idle >= limits_.unfinishedLineMs) {
      Close(client, QStringLiteral("closed a client that left a line unfinished for %1 ms").arg(idle));
      continue;
    }
    const qint64 left = limits_.unfinishedLineMs - idle;
    next = next < 0 ? left : std::min(next, left);
  }
  if (next >= 0)
    unfinishedCheck_->start(static_cast<int>(next));
}

void LocalMessageServer::SetRequestHandler(const QString& name, RequestHandler handler) {
  if (handler)
    requestHandlers_.insert(name, std::move(handler));
  else
    requestHandlers_.remove(name);
}

void LocalMessageServer::HandleLine(const ClientPtr& client, const QByteArray& line,
                                    const std::function<void()>& answered) {
  QString error;
  auto message = SocketMessage::Decode(line, &error);
  if (!message) {
    Debug(QStringLiteral("dropped a line: %1").arg(error));
    return;
  }
  if (auto request = requestHandlers_.constFind(message->name);
      request != requestHandlers_.constEnd()) {
    // A copy: the handler may replace itself while it runs.
    const RequestHandler handler = *request;
    handler(*message, [self = QPointer<LocalMessageServer>(this), weak = std::weak_ptr<Client>(client),
                       answered](const SocketMessage& answer) {
      if (!self.isNull())
        self->SendReply(weak, answer);
      answered();
    });
    return;
  }
  if (!message->IsCopyData() && !FindMessageName(message->name.toStdString())) {
    Debug(QStringLiteral("dropped an unknown message \"%1\"").arg(message->name));
    return;
  }
  if (handler_)
    handler_(*message);
}

void LocalMessageServer::SendReply(const std::weak_ptr<Client>& weak, const SocketMessage& message) {
  const ClientPtr client = weak.lock();
  if (!client || !client->connected || client->socket.isNull() ||
      client->socket->state() != QLocalSocket::ConnectedState) {
    Debug(QStringLiteral("no client left for the answer \"%1\"").arg(message.name));
    return;
  }
  Send(client, message.Encode());
}

bool LocalMessageServer::Send(const ClientPtr& client, const QByteArray& line) {
  QLocalSocket* socket = client->socket.data();
  if (!client->connected || socket == nullptr)
    return false;
  socket->write(line);
  socket->flush();  // as much as the socket takes now, without blocking
  // The write may have found the client gone.
  if (!client->connected || client->socket.isNull())
    return false;
  if (socket->bytesToWrite() > limits_.maxUnreadBytes) {
    Close(client, QStringLiteral("closed a client that left %1 bytes unread").arg(socket->bytesToWrite()));
    return false;
  }
  return true;
}

void LocalMessageServer::Broadcast(const SocketMessage& message) {
  const QByteArray line = message.Encode();
  for (const ClientPtr& client : clients_.values())
    Send(client, line);
}

bool LocalMessageServer::SendToRunningInstance(const SocketMessage& message, int timeoutMs) {
  const QString path = SocketPath();
  if (path.isEmpty())
    return false;
  QElapsedTimer timer;
  timer.start();
  const QByteArray line = message.Encode();
  do {
    QLocalSocket socket;
    socket.connectToServer(path);
    if (socket.waitForConnected(500)) {
      socket.write(line);
      const bool written = socket.waitForBytesWritten(1000) || socket.bytesToWrite() == 0;
      socket.disconnectFromServer();
      if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(1000);
      return written;
    }
    // The owner may still be starting: it holds the lock but does not listen yet.
    QThread::msleep(50);
  } while (timer.elapsed() < timeoutMs);
  return false;
}

}  // namespace platform
