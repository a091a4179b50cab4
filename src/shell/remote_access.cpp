#include "shell/remote_access.h"

#include <QPainter>
#include <QSettings>
#include <filesystem>
#include <system_error>

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

}  // namespace

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
    stop();
    clearError();
  }
  state_.settings.setValue(kKeyRemoteOn, isOn());
  emit stateChanged();
  return ok;
}

void RemoteAccess::startIfRemembered() {
  if (state_.settings.value(kKeyRemoteOn, false).toBool()) setOn(true);
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
  auto box = std::make_unique<WindowBox>(state_.core, history_.store().dir());
  box->core().setRecall(recall_);
  box->setAround([this](const std::function<server::Outcome()>& edit) {
    updateReady();
    // A window edit still open is a step of its own; this one is the network's.
    history_.endTurn();
    state_.core.ui.phase("remote");
    server::Outcome outcome = edit();
    history_.endRemoteTurn();
    refreshTimer_.start();
    windowChanged();
    return outcome;
  });
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
    stop();
    start();
    state_.settings.setValue(kKeyRemoteOn, isOn());
  }
  emit stateChanged();
  return isOn() || errorText_.en[0] == '\0';
}

void RemoteAccess::updateReady() {
  if (!box_) return;
  const bool ready = state_.boxOpen() && !state_.core.sync.running();
  if (ready != box_->core().connected()) box_->core().setReady(ready);
}

void RemoteAccess::windowChanged() {
  if (server_) server_->changed();
}

}  // namespace ax7::ui
