#pragma once
// The "Remote access" window: the switch, the address (with the choice to let the local
// network in), the page's address for the phone, the token and the page's QR code, and why
// switching on failed; below, the box on an MQTT broker: its switch, setting and state.
#include "pages/tool_window.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QVBoxLayout;

namespace ax7::ui {

class RemoteAccess;

inline constexpr int kRemoteAccessWindow = 602;

// Control ids (ax7Id) of the window, for scripts.
inline constexpr int IDC_REMOTE_ON = 1001;
inline constexpr int IDC_REMOTE_NETWORK = 1002;
inline constexpr int IDC_REMOTE_ADDRESS = 1003;
inline constexpr int IDC_REMOTE_NEW_TOKEN = 1004;
inline constexpr int IDC_REMOTE_CLOSE = 1005;
inline constexpr int IDC_MQTT_ON = 1006;
inline constexpr int IDC_MQTT_URL = 1007;
inline constexpr int IDC_MQTT_PASSWORD = 1008;
inline constexpr int IDC_MQTT_CA = 1009;
inline constexpr int IDC_MQTT_CA_BROWSE = 1010;
inline constexpr int IDC_MQTT_CLIENT_ID = 1011;
inline constexpr int IDC_MQTT_PREFIX = 1012;
inline constexpr int IDC_MQTT_DISCOVERY = 1013;

class RemoteAccessWindow : public ToolWindow {
  Q_OBJECT
 public:
  RemoteAccessWindow(PageContext& context, RemoteAccess& remote, QWidget* parent);

  void RefreshAll() override;
  void ApplyLanguage() override;

  QCheckBox* onSwitch() const { return on_; }
  QCheckBox* networkChoice() const { return network_; }
  QLineEdit* addressEdit() const { return address_; }
  QPushButton* newTokenButton() const { return newToken_; }
  QLineEdit* pageField() const { return page_; }
  QLabel* tokenLabel() const { return token_; }
  QLabel* qrLabel() const { return qr_; }
  QLabel* errorLabel() const { return error_; }

  QCheckBox* mqttSwitch() const { return mqttOn_; }
  QLineEdit* mqttUrlEdit() const { return mqttUrl_; }
  QLineEdit* mqttPasswordEdit() const { return mqttPassword_; }
  QLineEdit* mqttCaEdit() const { return mqttCa_; }
  QPushButton* mqttBrowseButton() const { return mqttBrowse_; }
  QLineEdit* mqttClientIdEdit() const { return mqttClientId_; }
  QLineEdit* mqttPrefixEdit() const { return mqttPrefix_; }
  QLineEdit* mqttDiscoveryEdit() const { return mqttDiscovery_; }
  QLabel* mqttStateLabel() const { return mqttState_; }
  QLabel* mqttErrorLabel() const { return mqttError_; }

 private:
  void switched(bool on);
  void addressEdited();
  void networkChosen(bool network);
  void buildMqtt(QVBoxLayout* layout);
  // What is typed is kept, or refused with the reason shown; false when refused.
  bool mqttEdited();
  bool passwordEdited();
  void mqttSwitched(bool on);
  void browseCa();
  void refreshMqtt();

  RemoteAccess& remote_;
  QCheckBox* on_;
  QLabel* addressCaption_;
  QLineEdit* address_;
  QCheckBox* network_;
  QLabel* pageCaption_;
  QLineEdit* page_;  // read only: long, and copied rather than read
  QLabel* tokenCaption_;
  QLabel* token_;
  QPushButton* newToken_;
  QLabel* qr_;
  QLabel* scan_;
  QLabel* error_;
  QPushButton* close_;

  QGroupBox* mqttGroup_;
  QCheckBox* mqttOn_;
  QLabel* mqttUrlCaption_;
  QLineEdit* mqttUrl_;
  QLabel* mqttPasswordCaption_;
  QLineEdit* mqttPassword_;  // never shown; emptied once kept
  QLabel* mqttCaCaption_;
  QLineEdit* mqttCa_;
  QPushButton* mqttBrowse_;
  QLabel* mqttClientIdCaption_;
  QLineEdit* mqttClientId_;
  QLabel* mqttPrefixCaption_;
  QLineEdit* mqttPrefix_;
  QLabel* mqttDiscoveryCaption_;
  QLineEdit* mqttDiscovery_;
  QLabel* mqttStateCaption_;
  QLabel* mqttState_;
  QLabel* mqttError_;
};

}  // namespace ax7::ui
