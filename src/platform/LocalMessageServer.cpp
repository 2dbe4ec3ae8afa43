#include "platform/LocalMessageServer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
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

LocalMessageServer::StartResult LocalMessageServer::Start() {
  if (server_ != nullptr)
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

  // We own the lock: whatever socket file is there was left by an instance
  // that is gone.
  socketPath_ = dir + kSocketName;
  QLocalServer::removeServer(socketPath_);
  server_ = new QLocalServer(this);
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  if (!server_->listen(socketPath_)) {
    Debug(QStringLiteral("cannot listen on %1: %2").arg(socketPath_, server_->errorString()));
    Stop();
    return StartResult::Failed;
  }
  chmod(QFile::encodeName(socketPath_).constData(), 0600);
  connect(server_, &QLocalServer::newConnection, this, &LocalMessageServer::Accept);
  return StartResult::Listening;
}

bool LocalMessageServer::IsListening() const { return server_ != nullptr && server_->isListening(); }

void LocalMessageServer::Stop() {
  for (QLocalSocket* socket : clients_.keys()) {
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
  }
  clients_.clear();
  if (server_ != nullptr) {
    server_->close();
    delete server_;
    server_ = nullptr;
    QFile::remove(socketPath_);
  }
  if (lockFd_ >= 0) {
    flock(lockFd_, LOCK_UN);
    close(lockFd_);
    lockFd_ = -1;
  }
}

void LocalMessageServer::Accept() {
  while (QLocalSocket* socket = server_->nextPendingConnection()) {
    struct ucred peer {};
    socklen_t length = sizeof(peer);
    const int fd = static_cast<int>(socket->socketDescriptor());
    if (fd < 0 || getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) != 0 ||
        peer.uid != getuid()) {
      Debug(QStringLiteral("refused a connection from user %1").arg(peer.uid));
      socket->abort();
      socket->deleteLater();
      continue;
    }
    clients_.insert(socket, Client{});
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] { Read(socket); });
    connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
      // Take what arrived with the hang-up.
      Read(socket);
      clients_.remove(socket);
      socket->deleteLater();
    });
    if (socket->bytesAvailable() > 0)
      Read(socket);
  }
}

void LocalMessageServer::Read(QLocalSocket* socket) {
  auto it = clients_.find(socket);
  if (it == clients_.end())
    return;
  it->buffer += socket->readAll();
  for (;;) {
    it = clients_.find(socket);
    if (it == clients_.end())
      return;
    Client& client = *it;
    const qsizetype end = client.buffer.indexOf('\n');
    if (end < 0) {
      if (client.buffer.size() > SocketMessage::kMaxLineBytes) {
        if (!client.discarding)
          Debug(QStringLiteral("dropped a line longer than %1 bytes")
                    .arg(SocketMessage::kMaxLineBytes));
        client.discarding = true;
        client.buffer.clear();
      }
      return;
    }
    QByteArray line = client.buffer.left(end);
    client.buffer.remove(0, end + 1);
    if (client.discarding) {
      // The tail of a line already dropped.
      client.discarding = false;
      continue;
    }
    if (line.endsWith('\r'))
      line.chop(1);
    if (line.trimmed().isEmpty())
      continue;
    // The handler may run a nested event loop; keep no reference across it.
    HandleLine(socket, line);
  }
}

void LocalMessageServer::SetRequestHandler(const QString& name, RequestHandler handler) {
  if (handler)
    requestHandlers_.insert(name, std::move(handler));
  else
    requestHandlers_.remove(name);
}

void LocalMessageServer::HandleLine(QLocalSocket* socket, const QByteArray& line) {
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
    handler(*message, [this, client = QPointer<QLocalSocket>(socket)](const SocketMessage& answer) {
      SendReply(client, answer);
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

void LocalMessageServer::SendReply(const QPointer<QLocalSocket>& socket,
                                   const SocketMessage& message) {
  if (socket.isNull() || !clients_.contains(socket.data()) ||
      socket->state() != QLocalSocket::ConnectedState) {
    Debug(QStringLiteral("no client left for the answer \"%1\"").arg(message.name));
    return;
  }
  socket->write(message.Encode());
  socket->flush();
  // A handler may answer and then run a nested event loop (a modal window)
  // until a later line of the same client ends it. Lines that arrived
  // together with the one being handled would wait for the handler to return;
  // reading on from the event loop lets them through, in order. Otherwise
  // this finds nothing left to do. (A failed write may have ended the client.)
  if (auto it = clients_.constFind(socket.data());
      it != clients_.constEnd() && it->buffer.contains('\n')) {
    QMetaObject::invokeMethod(
        this,
        [this, socket] {
          if (!socket.isNull())
            Read(socket.data());
        },
        Qt::QueuedConnection);
  }
}

void LocalMessageServer::Broadcast(const SocketMessage& message) {
  const QByteArray line = message.Encode();
  for (QLocalSocket* socket : clients_.keys()) {
    socket->write(line);
    socket->flush();
  }
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
