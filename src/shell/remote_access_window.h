#pragma once
// The "Remote access" window: the switch, the address (with the choice to let the local
// network in), the page's address for the phone, the token and the page's QR code, and why
// switching on failed.
#include "pages/tool_window.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace ax7::ui {

class RemoteAccess;

inline constexpr int kRemoteAccessWindow = 602;

// Control ids (ax7Id) of the window, for scripts.
inline constexpr int IDC_REMOTE_ON = 1001;
inline constexpr int IDC_REMOTE_NETWORK = 1002;
inline constexpr int IDC_REMOTE_ADDRESS = 1003;
inline constexpr int IDC_REMOTE_NEW_TOKEN = 1004;
inline constexpr int IDC_REMOTE_CLOSE = 1005;

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

 private:
  void switched(bool on);
  void addressEdited();
  void networkChosen(bool network);

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
};

}  // namespace ax7::ui
