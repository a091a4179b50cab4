#include "shell/single_instance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>

#include "shell/instance_message.h"

namespace ax7::ui {

namespace {

const QByteArray kRaise(kRaiseRequest.data(), qsizetype(kRaiseRequest.size()));
const QByteArray kRaised(kRaisedAnswer.data(), qsizetype(kRaisedAnswer.size()));

QString userName() {
  QString user = qEnvironmentVariable("USER");
  if (user.isEmpty()) user = qEnvironmentVariable("USERNAME");
  return user.isEmpty() ? QStringLiteral("user") : user;
}

}  // namespace

SingleInstance::SingleInstance(const QString& key, QObject* parent)
    : QObject(parent), name_(key + QLatin1Char('-') + userName()) {}

SingleInstance::~SingleInstance() {
  if (server_) server_->close();
}

SingleInstance::Outcome SingleInstance::start(int answerTimeoutMs) {
  // The lock plays the named semaphore: whoever holds it is the one instance. A lock left by
  // a process that died is taken over.
  lock_ = std::make_unique<QLockFile>(QDir::temp().filePath(name_ + QStringLiteral(".lock")));
  lock_->setStaleLockTime(0);
  if (!lock_->tryLock(0)) {
    if (lock_->error() == QLockFile::LockFailedError) return askOther(answerTimeoutMs);
    return Outcome::Failed;
  }
  server_ = new QLocalServer(this);
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  QLocalServer::removeServer(name_);  // a socket left by a process that died
  if (!server_->listen(name_)) return Outcome::Failed;
  connect(server_, &QLocalServer::newConnection, this, [this] {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
      connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
      connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
        const QByteArray seen = socket->peek(qint64(kMaxInstanceRequest));
        const auto request = ParseInstanceRequest({seen.constData(), size_t(seen.size())});
        if (request == InstanceRequest::Incomplete) return;
        if (request == InstanceRequest::Raise) {
          emit raiseRequested();
          socket->write(kRaised);
          socket->flush();
        }
        socket->disconnectFromServer();
      });
    }
  });
  return Outcome::First;
}

SingleInstance::Outcome SingleInstance::askOther(int answerTimeoutMs) {
  QLocalSocket socket;
  socket.connectToServer(name_);
  if (!socket.waitForConnected(answerTimeoutMs)) return Outcome::OtherSilent;
  socket.write(kRaise);
  socket.flush();
  const QDeadlineTimer deadline(answerTimeoutMs);
  while (!socket.canReadLine() &&
         socket.waitForReadyRead(int(std::max<qint64>(1, deadline.remainingTime())))) {
  }
  return socket.canReadLine() && socket.readLine() == kRaised ? Outcome::RaisedOther
                                                              : Outcome::OtherSilent;
}

}  // namespace ax7::ui
