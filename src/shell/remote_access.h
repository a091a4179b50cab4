#pragma once
// "Remote access" of the desktop program: the remote-control server of ax7ctl serve, on the
// window's box. Off by default; on/off and the address are remembered. Any address but a
// loopback one needs the token ax7ctl serve uses (made on first use, kept private).
//
// Beside it, on its own switch, the box on an MQTT broker for Home Assistant: the bridge of
// ax7ctl serve --mqtt on the window's box. Its setting is remembered; the password is kept in a
// file of its own that only the user can read (next to the token), never in the settings, a
// log or the trace.
//
// Edits from the network are made on the window's thread, as steps of the undo history
// labelled "(remote)", and the pages show them; the window's own edits reach the phones and the
// broker through the comparison of values.
#include <QObject>
#include <QPixmap>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>

#include "mqtt/bridge.h"
#include "pages/language.h"

namespace ax7 {
class HidBackend;
}
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

inline constexpr const char* kKeyMqttOn = "remoteAccess/mqttOn";
inline constexpr const char* kKeyMqttUrl = "remoteAccess/mqttUrl";
inline constexpr const char* kKeyMqttCa = "remoteAccess/mqttCaFile";
inline constexpr const char* kKeyMqttClientId = "remoteAccess/mqttClientId";
inline constexpr const char* kKeyMqttPrefix = "remoteAccess/mqttPrefix";
inline constexpr const char* kKeyMqttDiscovery = "remoteAccess/mqttDiscoveryPrefix";

// Where the box goes on the broker. The user is part of the address, as ax7ctl serve takes it;
// the password is kept apart.
struct MqttSetting {
  QString url;       // mqtt://[USER@]HOST[:PORT] or mqtts://...; empty: none yet
  QString caFile;    // mqtts: the CA certificates; empty: the system's
  QString clientId;  // empty: ax7-SERIAL
  QString prefix = QStringLiteral("ax7");
  QString discoveryPrefix = QStringLiteral("homeassistant");

  bool operator==(const MqttSetting&) const = default;
};

// The USB serial number of the box at a HID path; empty when it has none or is not there.
std::string SerialAt(HidBackend& backend, const std::string& path);

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
  // Closes the server without waiting for its clients, and leaves the broker (quitting).
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

  // The remembered MQTT setting (defaults where none was kept).
  MqttSetting mqttSetting() const;
  // Checks it and keeps it (false: mqttError() says why and nothing changed). An empty
  // prefix is the default one. A different user forgets the kept password. Not while on.
  bool setMqttSetting(const MqttSetting& setting);
  // Keeps the password for the user of the address (false: mqttError() says why). Empty
  // forgets it.
  bool setMqttPassword(const QString& password);
  bool hasMqttPassword() const;
  // Publishes the box on the broker (false: mqttError() says why, and it stays off) or stops;
  // remembered either way. A broker that cannot be reached is no failure: the state says so
  // and it is tried again.
  bool setMqttOn(bool on);
  bool isMqttOn() const { return bridge_ != nullptr; }
  // Where the connection stands (Off while off), in the interface language.
  QString mqttStateText() const;
  mqtt::BrokerState mqttState() const;
  // Why the last MQTT change was refused; empty after a success. The library's reason is
  // mqttErrorDetail().
  QString mqttError() const;
  QString mqttErrorDetail() const { return mqttErrorDetail_; }

  // The box is open and read: the server takes edits only then. Called on every update cycle
  // of the window.
  void updateReady();
  // The window's own settings changed: the phones hear of it now rather than on the next look.
  void windowChanged();

  server::Server* server() const { return server_.get(); }
  WindowBox* box() const { return box_.get(); }
  WindowBox* mqttBox() const { return mqttBox_.get(); }
  // Where the token is kept (tests use their own folder).
  std::string tokenPath;
  // Where the MQTT password is kept; empty: "mqtt-password" beside the token.
  std::string passwordPath;
  // The USB serial number of the box at a HID path (the broker's topics carry it).
  std::function<std::string(const std::string& path)> serialOf;

 signals:
  // On, off, the token or the error changed.
  void stateChanged();

 private:
  bool start();
  void stopServer();
  void fail(TextPair what, const std::string& argument, const std::string& detail);
  void clearError();
  // A box for one service; `mark` names its edits in the trace.
  std::unique_ptr<WindowBox> makeBox(const char* mark);
  bool startMqtt();
  void stopMqtt();
  void failMqtt(TextPair what, const QString& argument, const std::string& detail);
  // False with mqttError() set.
  bool checkMqtt(MqttSetting* setting, mqtt::BrokerUrl* url);
  std::string keptPasswordPath() const;
  mqtt::DeviceInfo deviceInfo() const;

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

  std::unique_ptr<WindowBox> mqttBox_;
  std::unique_ptr<mqtt::Bridge> bridge_;
  int bridgeObserver_ = 0;
  QString brokerName_;  // HOST:PORT, for the state
  TextPair mqttErrorText_{"", ""};
  QString mqttErrorArgument_;
  QString mqttErrorDetail_;
};

}  // namespace ax7::ui
