#include "shell/single_instance.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <cerrno>
#include <cstring>
#include <memory>

#include "shell/instance_message.h"

namespace ax7::ui {

namespace {

QString userName() {
  QString user = qEnvironmentVariable("USER");
  if (user.isEmpty()) user = qEnvironmentVariable("USERNAME");
  return user.isEmpty() ? QStringLiteral("user") : user;
}

// False when the path does not fit a socket address.
bool socketAddress(const QByteArray& path, sockaddr_un* address) {
  std::memset(address, 0, sizeof *address);
  if (path.isEmpty() || size_t(path.size()) >= sizeof address->sun_path) return false;
  address->sun_family = AF_UNIX;
  std::memcpy(address->sun_path, path.constData(), size_t(path.size()));
  return true;
}

int unixSocket() {
  return ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
}

// Waits until `fd` is ready for `events`; false when the deadline passed first.
bool waitFor(int fd, short events, const QDeadlineTimer& deadline) {
  for (;;) {
    pollfd p{fd, events, 0};
    const int ready = ::poll(&p, 1, int(std::max<qint64>(0, deadline.remainingTime())));
    if (ready > 0) return true;
    if (ready == 0 || errno != EINTR) return false;
  }
}

bool sendAll(int fd, std::string_view bytes, const QDeadlineTimer& deadline) {
  while (!bytes.empty()) {
    const ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (n > 0) {
      bytes.remove_prefix(size_t(n));
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      if (!waitFor(fd, POLLOUT, deadline)) return false;
    } else {
      return false;
    }
  }
  return true;
}

// The connection to the first instance; -1 when none answered within the time.
int connectTo(const sockaddr_un& address, const QDeadlineTimer& deadline) {
  const int fd = unixSocket();
  if (fd < 0) return -1;
  for (;;) {
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) return fd;
    if (errno == EINTR) continue;
    if (errno == EINPROGRESS && waitFor(fd, POLLOUT, deadline)) {
      int error = 0;
      socklen_t length = sizeof error;
      if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0) return fd;
    } else if (errno == EAGAIN && !deadline.hasExpired()) {
      // The listener's queue is full: it is busy, not gone.
      ::poll(nullptr, 0, 10);
      continue;
    }
    ::close(fd);
    return -1;
  }
}

}  // namespace

SingleInstance::SingleInstance(const QString& key, QObject* parent)
    : QObject(parent), name_(key + QLatin1Char('-') + userName()) {}

SingleInstance::~SingleInstance() {
  for (QSocketNotifier* notifier : findChildren<QSocketNotifier*>()) {
    if (int(notifier->socket()) != listener_) ::close(int(notifier->socket()));
  }
  if (listener_ >= 0) {
    ::close(listener_);
    ::unlink(path_.constData());
  }
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
  return listen() ? Outcome::First : Outcome::Failed;
}

bool SingleInstance::listen() {
  const QByteArray path = QFile::encodeName(QDir::temp().filePath(name_));
  sockaddr_un address;
  if (!socketAddress(path, &address)) return false;
  // Bound in a directory only this user can enter and moved into place once it is closed to
  // others, so nobody can connect in between.
  const QTemporaryDir privateDir(QDir::temp().filePath(QStringLiteral("ax7-XXXXXX")));
  if (!privateDir.isValid()) return false;
  const QByteArray staging = QFile::encodeName(privateDir.filePath(QStringLiteral("s")));
  sockaddr_un stagingAddress;
  if (!socketAddress(staging, &stagingAddress)) return false;
  const int fd = unixSocket();
  if (fd < 0) return false;
  if (::bind(fd, reinterpret_cast<const sockaddr*>(&stagingAddress), sizeof stagingAddress) != 0 ||
      ::chmod(staging.constData(), S_IRUSR | S_IWUSR) != 0 || ::listen(fd, 8) != 0) {
    ::close(fd);
    return false;
  }
  // A socket file left by a process that died is replaced.
  if (::rename(staging.constData(), path.constData()) != 0) {
    ::close(fd);
    return false;
  }
  listener_ = fd;
  path_ = path;
  auto* notifier = new QSocketNotifier(qintptr(fd), QSocketNotifier::Read, this);
  connect(notifier, &QSocketNotifier::activated, this, &SingleInstance::acceptPeers);
  return true;
}

void SingleInstance::acceptPeers() {
  for (;;) {
    const int peer = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (peer < 0) {
      if (errno == EINTR) continue;
      return;  // none waiting (or a peer that left before it was taken)
    }
    auto* notifier = new QSocketNotifier(qintptr(peer), QSocketNotifier::Read, this);
    auto received = std::make_shared<QByteArray>();
    connect(notifier, &QSocketNotifier::activated, this,
            [this, peer, received] { readPeer(peer, *received); });
  }
}

void SingleInstance::readPeer(int peer, QByteArray& received) {
  char buffer[kMaxInstanceRequest];
  const ssize_t n = ::recv(peer, buffer, sizeof buffer - size_t(received.size()), 0);
  if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return;
  InstanceRequest request = InstanceRequest::Unknown;  // an error or a peer that hung up
  if (n > 0) {
    received.append(buffer, qsizetype(n));
    request = ParseInstanceRequest({received.constData(), size_t(received.size())});
    if (request == InstanceRequest::Incomplete) return;
  }
  if (request == InstanceRequest::Raise) {
    emit raiseRequested();
    // The waiting start reads the answer at once; one that no longer listens loses nothing.
    sendAll(peer, kRaisedAnswer, QDeadlineTimer(100));
  }
  for (QSocketNotifier* notifier : findChildren<QSocketNotifier*>()) {
    if (int(notifier->socket()) == peer) {
      notifier->setEnabled(false);
      notifier->deleteLater();
      notifier->setParent(nullptr);
    }
  }
  ::close(peer);
}

SingleInstance::Outcome SingleInstance::askOther(int answerTimeoutMs) {
  sockaddr_un address;
  if (!socketAddress(QFile::encodeName(QDir::temp().filePath(name_)), &address)) {
    return Outcome::OtherSilent;
  }
  const int fd = connectTo(address, QDeadlineTimer(answerTimeoutMs));
  if (fd < 0) return Outcome::OtherSilent;
  const QDeadlineTimer deadline(answerTimeoutMs);
  std::string answer;
  if (sendAll(fd, kRaiseRequest, deadline)) {
    while (answer.find('\n') == std::string::npos && answer.size() < kMaxInstanceRequest) {
      char buffer[kMaxInstanceRequest];
      const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
      if (n > 0) {
        answer.append(buffer, size_t(n));
      } else if (n < 0 && errno == EINTR) {
        continue;
      } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) &&
                 waitFor(fd, POLLIN, deadline)) {
        continue;
      } else {
        break;
      }
    }
  }
  ::close(fd);
  return answer == kRaisedAnswer ? Outcome::RaisedOther : Outcome::OtherSilent;
}

}  // namespace ax7::ui
