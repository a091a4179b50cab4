#pragma once
// "Remote access" of the desktop program: the remote-control server of ax7ctl serve, on the
// window's box. Off by default; on/off and the address are remembered. Any address but a
// loopback one needs the token ax7ctl serve uses (made on first use, kept private).
//
// Edits from the network are made on the window's thread, as steps of the undo history
// labelled "(remote)", and the pages show them; the window's own edits reach the phones through
// the server's comparison of values.
#include <QObject>
#include <QPixmap>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>

#include "pages/language.h"

namespace ax7::server {
class Server;
}

namespace ax7::ui {

class AppState;
class SettingsHistory;
class WindowBox;

inline constexpr const char* kKeyRemoteOn = "remoteAccess/on";
inline constexpr const char* kKeyRemoteAddress = "remoteAccess/address";
inline constexpr const char* kRemoteDefaultAddress = "127.0.0.1:8744";
// The host that lets phones of the local network in.
inline constexpr const char* kRemoteNetworkHost = "0.0.0.0";

class RemoteAccess : public QObject {
  Q_OBJECT
 public:
  // `refresh` shows memory again (ribbon, page, tool windows); `recall` recalls box mode 0..3
  // and reads the box again, without asking (the phone's user asked).
  RemoteAccess(AppState& state, SettingsHistory& history, std::function<void()> refresh,
               std::function<void(int mode)> recall, QObject* parent);
  ~RemoteAccess() override;

  // The remembered address, "HOST:PORT".
  QString address() const;
  // Remembered; used from the next switching on.
  void setAddress(const QString& address);
  // Switches on (false: error() says why, and it stays off) or off; remembered either way.
  bool setOn(bool on);
  bool isOn() const { return server_ != nullptr; }
  // Switches on when it was on when the program last ran.
  void startIfRemembered();
  // Closes the server without waiting for its clients (switching off, quitting).
  void stop();

  // Why switching on failed, in the interface language; empty after a success. The system's
  // reason, in its own words, is errorDetail().
  QString error() const;
  QString errorDetail() const { return errorDetail_; }
  // While on: the port it listens on, the page's address (with the token when one is needed).
  uint16_t port() const;
  QString pageAddress() const;
  // The token in use (empty on a loopback address).
  QString token() const { return QString::fromStdString(token_); }
  // The page's address as a QR code, `scale` pixels a module, with its quiet zone; null while
  // off.
  QPixmap qrCode(int scale) const;
  // Replaces the kept token with a new one; while on with a token, the server starts again
  // with it. False with error() set.
  bool newToken();

  // The box is open and read: the server takes edits only then. Called on every update cycle
  // of the window.
  void updateReady();
  // The window's own settings changed: the phones hear of it now rather than on the next look.
  void windowChanged();

  server::Server* server() const { return server_.get(); }
  WindowBox* box() const { return box_.get(); }
  // Where the token is kept (tests use their own folder).
  std::string tokenPath;

 signals:
  // On, off, the token or the error changed.
  void stateChanged();

 private:
  bool start();
  void fail(TextPair what, const std::string& argument, const std::string& detail);
  void clearError();

  AppState& state_;
  SettingsHistory& history_;
  std::function<void()> refresh_;
  std::function<void(int)> recall_;
  std::unique_ptr<WindowBox> box_;
  std::unique_ptr<server::Server> server_;
  std::string listenHost_;
  std::string token_;
  TextPair errorText_{"", ""};
  QString errorArgument_;
  QString errorDetail_;
  QTimer refreshTimer_;  // a burst of edits from phones is shown once
};

}  // namespace ax7::ui
