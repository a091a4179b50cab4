#include "shell/remote_access_window.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "pages/prompter.h"
#include "server/access.h"
#include "server/listen_address.h"
#include "shell/remote_access.h"
#include "shell/remote_access_texts.h"

namespace ax7::ui {

namespace tx = remote_text;

namespace {

constexpr int kQrScale = 4;

// The address with its host replaced, the port kept.
QString withHost(const QString& address, const QString& host) {
  std::string oldHost;
  uint16_t port = 0;
  if (!server::ParseListenAddress(address.toStdString(), &oldHost, &port)) {
    return QString::fromLatin1(kRemoteDefaultAddress).replace(QStringLiteral("127.0.0.1"), host);
  }
  return QString::fromStdString(server::UrlHost(host.toStdString())) + QStringLiteral(":") +
         QString::number(port);
}

bool isNetworkAddress(const QString& address) {
  std::string host;
  uint16_t port = 0;
  return server::ParseListenAddress(address.toStdString(), &host, &port) &&
         !server::IsLoopbackAddress(host);
}

}  // namespace

RemoteAccessWindow::RemoteAccessWindow(PageContext& context, RemoteAccess& remote, QWidget* parent)
    : ToolWindow(context, kRemoteAccessWindow, parent), remote_(remote) {
  setObjectName(QStringLiteral("remoteAccessWindow"));
  auto* layout = new QVBoxLayout(this);
  on_ = new QCheckBox(this);
  on_->setProperty("ax7Id", IDC_REMOTE_ON);
  layout->addWidget(on_);

  auto* grid = new QGridLayout;
  addressCaption_ = new QLabel(this);
  address_ = new QLineEdit(this);
  address_->setProperty("ax7Id", IDC_REMOTE_ADDRESS);
  network_ = new QCheckBox(this);
  network_->setProperty("ax7Id", IDC_REMOTE_NETWORK);
  pageCaption_ = new QLabel(this);
  page_ = new QLineEdit(this);
  page_->setReadOnly(true);
  tokenCaption_ = new QLabel(this);
  token_ = new QLabel(this);
  token_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  newToken_ = new QPushButton(this);
  newToken_->setProperty("ax7Id", IDC_REMOTE_NEW_TOKEN);
  newToken_->setAutoDefault(false);
  grid->addWidget(addressCaption_, 0, 0);
  grid->addWidget(address_, 0, 1);
  grid->addWidget(network_, 1, 1);
  grid->addWidget(pageCaption_, 2, 0);
  grid->addWidget(page_, 2, 1);
  grid->addWidget(tokenCaption_, 3, 0);
  auto* tokenRow = new QHBoxLayout;
  tokenRow->addWidget(token_, 1);
  tokenRow->addWidget(newToken_);
  grid->addLayout(tokenRow, 3, 1);
  grid->setColumnStretch(1, 1);
  layout->addLayout(grid);

  qr_ = new QLabel(this);
  qr_->setAlignment(Qt::AlignCenter);
  scan_ = new QLabel(this);
  scan_->setAlignment(Qt::AlignCenter);
  layout->addWidget(qr_);
  layout->addWidget(scan_);
  error_ = new QLabel(this);
  error_->setObjectName(QStringLiteral("remoteAccessError"));
  error_->setWordWrap(true);
  error_->setStyleSheet(QStringLiteral("color: #b00000;"));
  layout->addWidget(error_);
  buildMqtt(layout);

  auto* buttons = new QHBoxLayout;
  close_ = new QPushButton(this);
  close_->setProperty("ax7Id", IDC_REMOTE_CLOSE);
  close_->setAutoDefault(false);
  buttons->addStretch(1);
  buttons->addWidget(close_);
  layout->addLayout(buttons);
  setMinimumWidth(520);

  connect(on_, &QCheckBox::toggled, this, &RemoteAccessWindow::switched);
  connect(address_, &QLineEdit::editingFinished, this, &RemoteAccessWindow::addressEdited);
  connect(network_, &QCheckBox::toggled, this, &RemoteAccessWindow::networkChosen);
  connect(newToken_, &QPushButton::clicked, this, [this] { remote_.newToken(); });
  connect(close_, &QPushButton::clicked, this, &QDialog::close);
  connect(&remote_, &RemoteAccess::stateChanged, this, &RemoteAccessWindow::RefreshAll);
  RefreshAll();
  ApplyLanguage();
}

void RemoteAccessWindow::buildMqtt(QVBoxLayout* layout) {
  mqttGroup_ = new QGroupBox(this);
  auto* box = new QVBoxLayout(mqttGroup_);
  mqttOn_ = new QCheckBox(mqttGroup_);
  mqttOn_->setProperty("ax7Id", IDC_MQTT_ON);
  box->addWidget(mqttOn_);
  auto* grid = new QGridLayout;
  int row = 0;
  auto field = [&](QLabel*& caption, QLineEdit*& edit, int id) {
    caption = new QLabel(mqttGroup_);
    edit = new QLineEdit(mqttGroup_);
    edit->setProperty("ax7Id", id);
    grid->addWidget(caption, row, 0);
    grid->addWidget(edit, row++, 1);
  };
  field(mqttUrlCaption_, mqttUrl_, IDC_MQTT_URL);
  field(mqttPasswordCaption_, mqttPassword_, IDC_MQTT_PASSWORD);
  mqttPassword_->setEchoMode(QLineEdit::Password);
  field(mqttCaCaption_, mqttCa_, IDC_MQTT_CA);
  // The chooser beside the CA file's field.
  grid->removeWidget(mqttCa_);
  auto* caRow = new QHBoxLayout;
  caRow->addWidget(mqttCa_, 1);
  mqttBrowse_ = new QPushButton(mqttGroup_);
  mqttBrowse_->setProperty("ax7Id", IDC_MQTT_CA_BROWSE);
  mqttBrowse_->setAutoDefault(false);
  caRow->addWidget(mqttBrowse_);
  grid->addLayout(caRow, row - 1, 1);
  field(mqttClientIdCaption_, mqttClientId_, IDC_MQTT_CLIENT_ID);
  field(mqttPrefixCaption_, mqttPrefix_, IDC_MQTT_PREFIX);
  field(mqttDiscoveryCaption_, mqttDiscovery_, IDC_MQTT_DISCOVERY);
  mqttStateCaption_ = new QLabel(mqttGroup_);
  mqttState_ = new QLabel(mqttGroup_);
  mqttState_->setObjectName(QStringLiteral("mqttState"));
  mqttState_->setWordWrap(true);
  grid->addWidget(mqttStateCaption_, row, 0);
  grid->addWidget(mqttState_, row++, 1);
  grid->setColumnStretch(1, 1);
  box->addLayout(grid);
  mqttError_ = new QLabel(mqttGroup_);
  mqttError_->setObjectName(QStringLiteral("mqttError"));
  mqttError_->setWordWrap(true);
  mqttError_->setStyleSheet(QStringLiteral("color: #b00000;"));
  box->addWidget(mqttError_);
  layout->addWidget(mqttGroup_);

  connect(mqttOn_, &QCheckBox::toggled, this, &RemoteAccessWindow::mqttSwitched);
  for (QLineEdit* edit : {mqttUrl_, mqttCa_, mqttClientId_, mqttPrefix_, mqttDiscovery_}) {
    connect(edit, &QLineEdit::editingFinished, this, [this] { mqttEdited(); });
  }
  connect(mqttPassword_, &QLineEdit::editingFinished, this, [this] { passwordEdited(); });
  connect(mqttBrowse_, &QPushButton::clicked, this, &RemoteAccessWindow::browseCa);
}

bool RemoteAccessWindow::mqttEdited() {
  if (remote_.isMqttOn()) return true;
  MqttSetting s;
  s.url = mqttUrl_->text();
  s.caFile = mqttCa_->text();
  s.clientId = mqttClientId_->text();
  s.prefix = mqttPrefix_->text();
  s.discoveryPrefix = mqttDiscovery_->text();
  // Also when nothing changed: a reason shown for an earlier text goes.
  return remote_.setMqttSetting(s);
}

bool RemoteAccessWindow::passwordEdited() {
  if (remote_.isMqttOn() || mqttPassword_->text().isEmpty()) return true;
  // The user it belongs to may have been typed just before.
  if (!mqttEdited()) return false;
  if (!remote_.setMqttPassword(mqttPassword_->text())) return false;
  mqttPassword_->clear();
  return true;
}

void RemoteAccessWindow::mqttSwitched(bool on) {
  // What is typed counts, even before Enter.
  if (on && mqttEdited() && passwordEdited()) {
    remote_.setMqttOn(true);
  } else if (!on) {
    remote_.setMqttOn(false);
  }
  RefreshAll();  // a refused start puts the switch back
}

void RemoteAccessWindow::browseCa() {
  if (remote_.isMqttOn()) return;
  const QString chosen =
      context().prompter().openFileName(context().dialogOwner(), context().text(tx::kMqttCaFilter));
  if (chosen.isEmpty()) return;
  mqttCa_->setText(chosen);
  mqttEdited();
}

void RemoteAccessWindow::refreshMqtt() {
  const bool on = remote_.isMqttOn();
  {
    const QSignalBlocker block(mqttOn_);
    mqttOn_->setChecked(on);
  }
  const MqttSetting s = remote_.mqttSetting();
  const std::pair<QLineEdit*, QString> fields[] = {{mqttUrl_, s.url},
                                                   {mqttCa_, s.caFile},
                                                   {mqttClientId_, s.clientId},
                                                   {mqttPrefix_, s.prefix},
                                                   {mqttDiscovery_, s.discoveryPrefix}};
  const bool refused = !remote_.mqttError().isEmpty();
  for (const auto& [edit, kept] : fields) {
    // A refused text stays where it is typed, to be put right.
    if (on || !(edit->hasFocus() || (refused && edit->text() != kept))) edit->setText(kept);
    edit->setEnabled(!on);
  }
  mqttPassword_->setEnabled(!on);
  mqttPassword_->setPlaceholderText(context().text(remote_.hasMqttPassword() ? tx::kMqttPasswordKept
                                                                             : tx::kMqttPasswordNone));
  mqttBrowse_->setEnabled(!on);
  mqttState_->setText(remote_.mqttStateText());
  mqttState_->setToolTip(QString::fromStdString(remote_.mqttState().detail));
  mqttError_->setText(remote_.mqttError());
  mqttError_->setToolTip(remote_.mqttErrorDetail());
  mqttError_->setVisible(refused);
}

void RemoteAccessWindow::switched(bool on) {
  if (on) addressEdited();  // what is typed counts, even before Enter
  remote_.setOn(on);
  RefreshAll();  // a failed start puts the switch back
}

void RemoteAccessWindow::addressEdited() {
  if (remote_.isOn()) return;
  remote_.setAddress(address_->text());
  RefreshAll();
}

void RemoteAccessWindow::networkChosen(bool network) {
  if (remote_.isOn()) return;
  address_->setText(withHost(address_->text(), network ? QString::fromLatin1(kRemoteNetworkHost)
                                                       : QStringLiteral("127.0.0.1")));
  addressEdited();
}

void RemoteAccessWindow::RefreshAll() {
  const bool on = remote_.isOn();
  const QString address = remote_.address();
  {
    const QSignalBlocker a(on_), b(network_);
    on_->setChecked(on);
    network_->setChecked(isNetworkAddress(address));
  }
  if (!address_->hasFocus() || on) address_->setText(address);
  address_->setEnabled(!on);
  network_->setEnabled(!on);
  page_->setText(on ? remote_.pageAddress() : context().text(tx::kOff));
  page_->setCursorPosition(0);
  // The whole address in view: it is read off the screen as often as scanned.
  page_->setMinimumWidth(page_->fontMetrics().horizontalAdvance(page_->text()) + 16);
  page_->setEnabled(on);
  if (on && !remote_.token().isEmpty()) {
    token_->setText(remote_.token());
  } else if (isNetworkAddress(address)) {
    token_->setText(context().text(tx::kTokenLater));
  } else {
    token_->setText(context().text(tx::kNoToken));
  }
  newToken_->setEnabled(on && !remote_.token().isEmpty());
  const QPixmap code = on ? remote_.qrCode(kQrScale) : QPixmap();
  qr_->setPixmap(code);
  qr_->setVisible(!code.isNull());
  scan_->setVisible(!code.isNull());
  error_->setText(remote_.error());
  error_->setToolTip(remote_.errorDetail());
  error_->setVisible(!error_->text().isEmpty());
  refreshMqtt();
  adjustSize();
}

void RemoteAccessWindow::ApplyLanguage() {
  ToolWindow::ApplyLanguage();
  setWindowTitle(context().text(tx::kTitle));
  on_->setText(context().text(tx::kSwitch));
  addressCaption_->setText(context().text(tx::kAddress));
  network_->setText(context().text(tx::kNetwork));
  pageCaption_->setText(context().text(tx::kPage));
  tokenCaption_->setText(context().text(tx::kToken));
  newToken_->setText(context().text(tx::kNewToken));
  scan_->setText(context().text(tx::kScan));
  close_->setText(context().text(tx::kClose));
  mqttGroup_->setTitle(context().text(tx::kMqttGroup));
  mqttOn_->setText(context().text(tx::kMqttSwitch));
  mqttUrlCaption_->setText(context().text(tx::kMqttUrl));
  mqttUrl_->setPlaceholderText(context().text(tx::kMqttUrlHint));
  mqttPasswordCaption_->setText(context().text(tx::kMqttPassword));
  mqttCaCaption_->setText(context().text(tx::kMqttCa));
  mqttCa_->setPlaceholderText(context().text(tx::kMqttCaHint));
  mqttBrowse_->setText(context().text(tx::kMqttBrowse));
  mqttClientIdCaption_->setText(context().text(tx::kMqttClientId));
  mqttClientId_->setPlaceholderText(context().text(tx::kMqttClientIdHint));
  mqttPrefixCaption_->setText(context().text(tx::kMqttPrefix));
  mqttDiscoveryCaption_->setText(context().text(tx::kMqttDiscovery));
  mqttStateCaption_->setText(context().text(tx::kMqttState));
  RefreshAll();
}

}  // namespace ax7::ui
