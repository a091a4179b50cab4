#pragma once
// One running program per user: the first start holds a lock and listens on a local socket;
// a later start asks it to raise its window and then ends without showing anything. The socket
// is a plain Unix socket watched by the event loop, so a start does not load a network library
// for one line of text.
#include <QByteArray>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <memory>

namespace ax7::ui {

inline constexpr const char* kInstanceKey = "AX7 V1.0";

class SingleInstance : public QObject {
  Q_OBJECT
 public:
  enum class Outcome {
    First,        // this is the one instance; raiseRequested will be emitted
    RaisedOther,  // another instance runs and raised its window
    OtherSilent,  // another instance runs but did not answer
    Failed,       // the lock or the socket could not be created
  };

  // `key` names the lock and the socket; the user name is added so users do not meet.
  explicit SingleInstance(const QString& key = QString::fromLatin1(kInstanceKey),
                          QObject* parent = nullptr);
  ~SingleInstance() override;

  Outcome start(int answerTimeoutMs = 3000);
  QString serverName() const { return name_; }

 signals:
  // A later start asked for the window (the handler raises it).
  void raiseRequested();

 private:
  Outcome askOther(int answerTimeoutMs);
  bool listen();
  void acceptPeers();
  void readPeer(int peer, QByteArray& received);

  QString name_;
  std::unique_ptr<QLockFile> lock_;
  int listener_ = -1;
  QByteArray path_;  // the socket file this instance made; removed when it ends
};

}  // namespace ax7::ui
