#include "shell/remote_access.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QPainter>
#include <QSettings>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "device/hid_backend.h"
#include "mqtt/topics.h"
#include "params/memory.h"
#include "server/access.h"
#include "server/listen_address.h"
#include "server/server.h"
#include "shell/app_state.h"
#include "shell/remote_access_texts.h"
#include "shell/settings_history.h"
#include "shell/window_box.h"

namespace ax7::ui {

namespace tx = remote_text;

namespace {

constexpr int kQuietModules = 4;
constexpr const char* kPasswordFileName = "mqtt-password";
// A certificate file is text; anything larger is no CA file.
constexpr qint64 kMaxCaFileBytes = 4 * 1024 * 1024;
constexpr int kMaxClientIdBytes = 65535;

// The kept password: absent is none (true, empty). False when it cannot be read or other users
// can read it.
bool readPrivateFile(const std::string& path, std::string* text, std::string* why) {
  text->clear();
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) {
    if (errno == ENOENT) return true;
    *why = std::strerror(errno);
    return false;
  }
  struct stat st {};
  bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & 077) == 0;
  if (!ok) *why = "other users can read it (chmod 600)";
  char buf[512];
  for (ssize_t n; ok && text->size() < 65536 && (n = ::read(fd, buf, sizeof buf)) > 0;) {
    text->append(buf, size_t(n));
  }
  ::close(fd);
  if (!ok) text->clear();
  return ok;
}

// Written beside and renamed over, created mode 0600 in a folder only the user can enter.
bool writePrivateFile(const std::string& path, const std::string& text, std::string* why) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path folder = fs::path(path).parent_path();
  if (!folder.empty() && !fs::exists(folder, ec)) {
    fs::create_directories(folder, ec);
    if (!ec) fs::permissions(folder, fs::perms::owner_all, ec);
    if (ec) {
      *why = ec.message();
      return false;
    }
  }
  const std::string temporary = path + ".new";
  ::unlink(temporary.c_str());
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) {
    *why = std::strerror(errno);
    return false;
  }
  const bool written = ::write(fd, text.data(), text.size()) == ssize_t(text.size());
  const bool closed = ::close(fd) == 0;
  if (!written || !closed || ::rename(temporary.c_str(), path.c_str()) != 0) {
    *why = std::strerror(errno);
    ::unlink(temporary.c_str());
    return false;
  }
  return true;
}

QString brokerUser(const QString& url) {
  mqtt::BrokerUrl parsed;
  std::string why;
  if (!mqtt::ParseBrokerUrl(url.toStdString(), &parsed, &why)) return {};
  return QString::fromStdString(parsed.user);
}

}  // namespace

std::string SerialAt(HidBackend& backend, const std::string& path) {
  for (const HidInterfaceInfo& i : backend.enumerate()) {
    if (i.path == path) return i.serial;
  }
  return {};
}

RemoteAccess::RemoteAccess(AppState& state, SettingsHistory& history, std::function<void()> refresh,
                           std::function<void(int)> recall, QObject* parent)
    : QObject(parent),
      tokenPath(server::DefaultTokenPath()),
      state_(state),
      history_(history),
      refresh_(std::move(refresh)),
      recall_(std::move(recall)) {
  refreshTimer_.setSingleShot(true);
  refreshTimer_.setInterval(0);
  connect(&refreshTimer_, &QTimer::timeout, this, [this] {
    if (refresh_) refresh_();
  });
  connect(&history_, &SettingsHistory::changed, this, &RemoteAccess::windowChanged);
}

RemoteAccess::~RemoteAccess() {
  stop();
}

QString RemoteAccess::address() const {
  return state_.settings.value(kKeyRemoteAddress, QString::fromLatin1(kRemoteDefaultAddress))
      .toString();
}

void RemoteAccess::setAddress(const QString& address) {
  state_.settings.setValue(kKeyRemoteAddress, address.trimmed());
}

QString RemoteAccess::error() const {
  if (errorText_.en[0] == '\0') return {};
  return state_.text(errorText_).arg(errorArgument_);
}

void RemoteAccess::fail(TextPair what, const std::string& argument, const std::string& detail) {
  errorText_ = what;
  errorArgument_ = QString::fromStdString(argument);
  errorDetail_ = QString::fromStdString(detail);
}

void RemoteAccess::clearError() {
  errorText_ = {"", ""};
  errorArgument_.clear();
  errorDetail_.clear();
}

bool RemoteAccess::setOn(bool on) {
  if (on == isOn()) return true;
  bool ok = true;
  if (on) {
    ok = start();
  } else {
    stopServer();
    clearError();
  }
  state_.settings.setValue(kKeyRemoteOn, isOn());
  emit stateChanged();
  return ok;
}

void RemoteAccess::startIfRemembered() {
  if (state_.settings.value(kKeyRemoteOn, false).toBool()) setOn(true);
  if (state_.settings.value(kKeyMqttOn, false).toBool()) setMqttOn(true);
}

std::unique_ptr<WindowBox> RemoteAccess::makeBox(const char* mark) {
  auto box = std::make_unique<WindowBox>(state_.core, history_.store().dir());
  box->core().setRecall(recall_);
  box->setAround([this, mark](const std::function<server::Outcome()>& edit) {
    updateReady();
    // A window edit still open is a step of its own; this one is the network's.
    history_.endTurn();
    state_.core.ui.phase(mark);
    server::Outcome outcome = edit();
    history_.endRemoteTurn();
    refreshTimer_.start();
    windowChanged();
    return outcome;
  });
  return box;
}

bool RemoteAccess::start() {
  clearError();
  server::ServerOptions options;
  const std::string listen = address().toStdString();
  if (!server::ParseListenAddress(listen, &options.address, &options.port)) {
    fail(tx::kBadAddress, listen, {});
    return false;
  }
  token_.clear();
  if (!server::IsLoopbackAddress(options.address)) {
    bool created = false;
    std::string why;
    if (!server::LoadOrCreateToken(tokenPath, &options.token, &created, &why)) {
      fail(tx::kNoTokenFile, tokenPath, why);
      return false;
    }
  }
  auto box = makeBox("remote");
  auto server = std::make_unique<server::Server>(*box, options);
  std::string why;
  if (!server->start(&why)) {
    fail(tx::kCannotListen, listen, why);
    return false;
  }
  box_ = std::move(box);
  server_ = std::move(server);
  listenHost_ = options.address;
  token_ = options.token;
  box_->core().setReadyObserver([s = server_.get()](bool ready) { s->readyChanged(ready); });
  updateReady();
  const std::string mark =
      "remote access on " + server::UrlHost(listenHost_) + ":" + std::to_string(server_->port());
  state_.core.ui.phase(mark.c_str());
  return true;
}

void RemoteAccess::stop() {
  stopMqtt();
  stopServer();
}

void RemoteAccess::stopServer() {
  if (!server_) return;
  // Requests waiting for the window are answered first, so the server's thread ends at once.
  box_->close();
  box_->core().setReadyObserver(nullptr);
  server_->stop();
  server_.reset();
  box_.reset();
  refreshTimer_.stop();
  state_.core.ui.phase("remote access off");
}

uint16_t RemoteAccess::port() const {
  return server_ ? server_->port() : 0;
}

QString RemoteAccess::pageAddress() const {
  if (!server_) return {};
  return QString::fromStdString(server::PageAddress(listenHost_, server_->port(), token_));
}

QPixmap RemoteAccess::qrCode(int scale) const {
  const QString page = pageAddress();
  if (page.isEmpty()) return {};
  const auto modules = server::QrModules(page.toStdString());
  if (modules.empty()) return {};
  const int n = int(modules.size());
  const int side = (n + 2 * kQuietModules) * scale;
  QPixmap pixmap(side, side);
  pixmap.fill(Qt::white);
  QPainter painter(&pixmap);
  for (int y = 0; y < n; ++y) {
    for (int x = 0; x < n; ++x) {
      if (modules[size_t(y)][size_t(x)]) {
        painter.fillRect((x + kQuietModules) * scale, (y + kQuietModules) * scale, scale, scale,
                         Qt::black);
      }
    }
  }
  return pixmap;
}

bool RemoteAccess::newToken() {
  // The old token goes first: LoadOrCreateToken keeps a token it finds.
  std::error_code ec;
  std::filesystem::remove(tokenPath, ec);
  std::string fresh;
  bool created = false;
  std::string why;
  if (ec || !server::LoadOrCreateToken(tokenPath, &fresh, &created, &why)) {
    fail(tx::kTokenNotMade, tokenPath, ec ? ec.message() : why);
    emit stateChanged();
    return false;
  }
  clearError();
  if (isOn() && !token_.empty()) {
    // Clients holding the old token are refused from now on.
    stopServer();
    start();
    state_.settings.setValue(kKeyRemoteOn, isOn());
  }
  emit stateChanged();
  return isOn() || errorText_.en[0] == '\0';
}

void RemoteAccess::updateReady() {
  const bool ready = state_.boxOpen() && !state_.core.sync.running();
  if (box_ && ready != box_->core().connected()) box_->core().setReady(ready);
  if (mqttBox_ && ready != mqttBox_->core().connected()) {
    // The broker's topics carry the serial: the bridge learns who the box is first.
    if (ready) bridge_->setDevice(deviceInfo());
    mqttBox_->core().setReady(ready);
  }
}

void RemoteAccess::windowChanged() {
  if (server_) server_->changed();
  if (bridge_) bridge_->changed();
}

mqtt::DeviceInfo RemoteAccess::deviceInfo() const {
  mqtt::DeviceInfo info;
  if (serialOf) info.serial = serialOf(state_.core.link.devicePath());
  const DeviceState& dev = state_.core.mem.dev;
  info.model = toUtf8(dev.g_szModule.get());
  info.softwareVersion = toUtf8(dev.g_szMcuVersion.get());
  return info;
}

std::string RemoteAccess::keptPasswordPath() const {
  if (!passwordPath.empty()) return passwordPath;
  return (std::filesystem::path(tokenPath).parent_path() / kPasswordFileName).string();
}

MqttSetting RemoteAccess::mqttSetting() const {
  MqttSetting s;
  const QSettings& kept = state_.settings;
  s.url = kept.value(kKeyMqttUrl).toString();
  s.caFile = kept.value(kKeyMqttCa).toString();
  s.clientId = kept.value(kKeyMqttClientId).toString();
  s.prefix = kept.value(kKeyMqttPrefix, s.prefix).toString();
  s.discoveryPrefix = kept.value(kKeyMqttDiscovery, s.discoveryPrefix).toString();
  return s;
}

QString RemoteAccess::mqttError() const {
  if (mqttErrorText_.en[0] == '\0') return {};
  const QString text = state_.text(mqttErrorText_);
  return text.contains(QLatin1String("%1")) ? text.arg(mqttErrorArgument_) : text;
}

void RemoteAccess::failMqtt(TextPair what, const QString& argument, const std::string& detail) {
  mqttErrorText_ = what;
  mqttErrorArgument_ = argument;
  mqttErrorDetail_ = QString::fromStdString(detail);
  emit stateChanged();
}

bool RemoteAccess::checkMqtt(MqttSetting* s, mqtt::BrokerUrl* url) {
  s->url = s->url.trimmed();
  s->caFile = s->caFile.trimmed();
  s->prefix = s->prefix.trimmed();
  s->discoveryPrefix = s->discoveryPrefix.trimmed();
  if (s->prefix.isEmpty()) s->prefix = MqttSetting().prefix;
  if (s->discoveryPrefix.isEmpty()) s->discoveryPrefix = MqttSetting().discoveryPrefix;
  std::string why;
  if (!s->url.isEmpty()) {
    mqtt::UrlProblem problem = mqtt::UrlProblem::None;
    if (!mqtt::ParseBrokerUrl(s->url.toStdString(), url, &why, &problem)) {
      // Never repeated: the address holds a password.
      if (problem == mqtt::UrlProblem::Password) failMqtt(tx::kMqttPasswordInUrl, {}, {});
      else if (problem == mqtt::UrlProblem::Scheme) failMqtt(tx::kMqttBadScheme, {}, why);
      else failMqtt(tx::kMqttBadUrl, {}, why);
      return false;
    }
  }
  if (!s->caFile.isEmpty()) {
    if (!s->url.isEmpty() && !url->tls) {
      failMqtt(tx::kMqttCaNeedsTls, {}, {});
      return false;
    }
    QFile file(s->caFile);
    if (!file.open(QIODevice::ReadOnly)) {
      failMqtt(tx::kMqttCaUnreadable, s->caFile, file.errorString().toStdString());
      return false;
    }
    if (!file.read(kMaxCaFileBytes).contains("-----BEGIN CERTIFICATE-----")) {
      failMqtt(tx::kMqttCaNotPem, s->caFile, {});
      return false;
    }
  }
  if (s->clientId.toUtf8().size() > kMaxClientIdBytes) {
    failMqtt(tx::kMqttBadClientId, {}, {});
    return false;
  }
  for (const QString* prefix : {&s->prefix, &s->discoveryPrefix}) {
    if (!mqtt::CheckTopicPrefix(prefix->toStdString(), &why)) {
      failMqtt(tx::kMqttBadPrefix, *prefix, why);
      return false;
    }
  }
  return true;
}

bool RemoteAccess::setMqttSetting(const MqttSetting& setting) {
  if (isMqttOn()) return false;
  MqttSetting s = setting;
  mqtt::BrokerUrl url;
  if (!checkMqtt(&s, &url)) return false;
  const MqttSetting before = mqttSetting();
  // The kept password was the old user's.
  if (brokerUser(before.url) != QString::fromStdString(url.user) && hasMqttPassword()) {
    std::error_code ec;
    std::filesystem::remove(keptPasswordPath(), ec);
  }
  QSettings& kept = state_.settings;
  kept.setValue(kKeyMqttUrl, s.url);
  kept.setValue(kKeyMqttCa, s.caFile);
  kept.setValue(kKeyMqttClientId, s.clientId);
  kept.setValue(kKeyMqttPrefix, s.prefix);
  kept.setValue(kKeyMqttDiscovery, s.discoveryPrefix);
  mqttErrorText_ = {"", ""};
  mqttErrorDetail_.clear();
  emit stateChanged();
  return true;
}

bool RemoteAccess::hasMqttPassword() const {
  std::error_code ec;
  return std::filesystem::exists(keptPasswordPath(), ec);
}

bool RemoteAccess::setMqttPassword(const QString& password) {
  if (isMqttOn()) return false;
  std::string why;
  if (password.isEmpty()) {
    std::error_code ec;
    std::filesystem::remove(keptPasswordPath(), ec);
  } else if (brokerUser(mqttSetting().url).isEmpty()) {
    failMqtt(tx::kMqttPasswordNeedsUser, {}, {});
    return false;
  } else if (!writePrivateFile(keptPasswordPath(), password.toStdString(), &why)) {
    failMqtt(tx::kMqttPasswordNotKept, QString::fromStdString(keptPasswordPath()), why);
    return false;
  }
  mqttErrorText_ = {"", ""};
  mqttErrorDetail_.clear();
  emit stateChanged();
  return true;
}

bool RemoteAccess::setMqttOn(bool on) {
  if (on == isMqttOn()) return true;
  bool ok = true;
  if (on) {
    ok = startMqtt();
  } else {
    stopMqtt();
    mqttErrorText_ = {"", ""};
    mqttErrorDetail_.clear();
  }
  state_.settings.setValue(kKeyMqttOn, isMqttOn());
  emit stateChanged();
  return ok;
}

bool RemoteAccess::startMqtt() {
  mqttErrorText_ = {"", ""};
  mqttErrorDetail_.clear();
  MqttSetting s = mqttSetting();
  mqtt::BridgeOptions options;
  if (!checkMqtt(&s, &options.broker)) return false;
  if (s.url.isEmpty()) {
    failMqtt(tx::kMqttNoUrl, {}, {});
    return false;
  }
  std::string why;
  if (!options.broker.user.empty() &&
      !readPrivateFile(keptPasswordPath(), &options.broker.password, &why)) {
    failMqtt(tx::kMqttPasswordUnsafe, QString::fromStdString(keptPasswordPath()), why);
    return false;
  }
  // A file edited by hand may end in a line break that is no part of the password.
  std::string& password = options.broker.password;
  while (!password.empty() && (password.back() == '\n' || password.back() == '\r')) {
    password.pop_back();
  }
  options.caFile = s.caFile.toStdString();
  options.clientId = s.clientId.toStdString();
  options.prefix = s.prefix.toStdString();
  options.discoveryPrefix = s.discoveryPrefix.toStdString();
  options.chinese = state_.language() == Language::Chinese;
  // The bridge's threads only ask the window to look again.
  options.stateChanged = [this] {
    QMetaObject::invokeMethod(this, &RemoteAccess::stateChanged, Qt::QueuedConnection);
  };
  auto box = makeBox("mqtt");
  auto bridge = std::make_unique<mqtt::Bridge>(*box, options);
  if (!bridge->start(&why)) {
    failMqtt(tx::kMqttNotStarted, {}, why);
    return false;
  }
  brokerName_ = QString::fromStdString(server::UrlHost(options.broker.host) + ":" +
                                       std::to_string(options.broker.port));
  mqttBox_ = std::move(box);
  bridge_ = std::move(bridge);
  bridgeObserver_ =
      mqttBox_->core().addReadyObserver([b = bridge_.get()](bool ready) { b->readyChanged(ready); });
  updateReady();
  const std::string mark = std::string("mqtt on ") + (options.broker.tls ? "mqtts://" : "mqtt://") +
                           brokerName_.toStdString();
  state_.core.ui.phase(mark.c_str());
  return true;
}

void RemoteAccess::stopMqtt() {
  if (!bridge_) return;
  // Commands waiting for the window are answered first, so the bridge's thread ends at once.
  mqttBox_->close();
  mqttBox_->core().removeReadyObserver(bridgeObserver_);
  bridge_->stop();
  bridge_.reset();
  mqttBox_.reset();
  state_.core.ui.phase("mqtt off");
}

mqtt::BrokerState RemoteAccess::mqttState() const {
  return bridge_ ? bridge_->state() : mqtt::BrokerState{};
}

QString RemoteAccess::mqttStateText() const {
  if (!bridge_) return state_.text(tx::kMqttOff);
  using K = mqtt::BrokerState::Kind;
  const mqtt::BrokerState st = bridge_->state();
  switch (st.kind) {
    case K::WaitingForBox:
      return state_.text(tx::kMqttWaitingForBox);
    case K::Connecting:
      return state_.text(tx::kMqttConnecting).arg(brokerName_);
    case K::Connected:
      return state_.text(tx::kMqttConnected).arg(brokerName_);
    case K::Unreachable:
      return state_.text(tx::kMqttUnreachable).arg(st.retrySeconds);
    case K::Refused:
      return st.badLogin ? state_.text(tx::kMqttBadLogin)
                         : state_.text(tx::kMqttRefused).arg(QString::fromStdString(st.detail));
  }
  return {};
}

}  // namespace ax7::ui
