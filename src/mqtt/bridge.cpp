#include "mqtt/bridge.h"

#include <mosquitto.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <deque>
#include <thread>
#include <unordered_map>

namespace ax7::mqtt {

namespace {

using SteadyClock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// How long the last words before a close may take.
constexpr milliseconds kFlushLimit{1000};
// How long the connection's thread waits on the network before it looks whether to stop; a
// stop also wakes it at once through the library.
constexpr int kLoopWaitMs = 500;
// CONNACK codes of MQTT 3.1.1 for a bad user name or password and for "not authorised".
constexpr int kConnackBadLogin = 4;
constexpr int kConnackNotAuthorised = 5;

void initLibrary() {
  static std::once_flag once;
  std::call_once(once, [] { mosquitto_lib_init(); });
}

std::string reason(int rc) {
  if (rc == MOSQ_ERR_ERRNO) return std::strerror(errno);
  return mosquitto_strerror(rc);
}

unsigned wholeSeconds(milliseconds ms) {
  return unsigned(std::max<int64_t>(1, (ms.count() + 999) / 1000));
}

}  // namespace

// Two threads: the connection's (libmosquitto's loop: connecting, reading, the callbacks, and
// trying again with back-off) and the bridge's (the box: commands, comparisons, publishing).
// The callbacks only parse, answer refusals and hand work over; the box is called from the
// bridge's thread alone.
struct Bridge::Impl {
  Impl(server::BoxControl& b, BridgeOptions o) : box(b), options(std::move(o)) {}

  server::BoxControl& box;
  const BridgeOptions options;
  std::thread thread;

  // Shared between the owner's threads, the client's thread and the bridge's thread.
  mutable std::mutex mutex;
  std::condition_variable wake;
  bool stopping = false;
  bool deviceChanged = false;
  DeviceInfo device;
  std::deque<bool> readyEvents;
  bool poked = false;
  bool connected = false;
  bool republish = false;  // connected, or Home Assistant came back: send everything
  std::deque<Command> commands;  // one per name at most: a later value replaces a waiting one
  int pendingMid = -1;
  Counts counts;
  BrokerState brokerState;
  bool ioStop = false;  // the connection's thread ends

  // The connection's thread's own.
  std::thread io;
  int refusedCode = 0;       // the CONNACK code of a refusal in this attempt
  bool accepted = false;     // the broker took this attempt's connection
  // The library's first error line in this attempt. Its log may speak from any thread that
  // calls it, also one holding `mutex`: a lock of its own.
  std::mutex tlsMutex;
  std::string tlsError;
  std::string lastFailure;   // logged already; a connection clears it

  // The bridge thread's own.
  mosquitto* client = nullptr;
  DeviceInfo current;
  std::string boxId;
  BoxTopics topics;  // written before the client starts, read by its callbacks after
  std::string discoveryStatus;
  bool ready = false;
  std::unordered_map<std::string, std::string> sent;  // state topic's name -> payload
  std::string lastStatus;
  SteadyClock::time_point nextValues, nextStatus;

  void run();
  void log(const std::string& line) {
    if (options.log) options.log(line);
  }

  std::string where() const {
    return options.broker.host + ":" + std::to_string(options.broker.port);
  }
  void setState(const BrokerState& next);

  void switchDevice(const DeviceInfo& next);
  void closeClient();
  // The connection's thread: connects, runs the client, and after a failure says why and
  // tries again after the back-off, until closeClient().
  void ioRun();
  bool ioStopping() {
    std::lock_guard lock(mutex);
    return ioStop;
  }
  void publish(const std::string& topic, const std::string& payload, int qos, bool retain,
               int* mid = nullptr);
  void publishEverything();
  void publishValues();
  // Sends a state topic's payload unless it is what was sent last.
  void sendState(const std::string& name, const std::string& text);
  void publishStatus(bool force);
  void refuse(const std::string& topic, const std::string& why);
  void apply(const Command& c);
  void periodic();

  // The client's callbacks (its thread).
  void onConnect(int rc);
  void onDisconnect(int rc);
  void onMessage(const mosquitto_message& m);
};

void Bridge::Impl::publish(const std::string& topic, const std::string& payload, int qos,
                           bool retain, int* mid) {
  // A failure here means the connection is gone: the reconnect sends everything again.
  mosquitto_publish(client, mid, topic.c_str(), int(payload.size()), payload.data(), qos, retain);
}

void Bridge::Impl::switchDevice(const DeviceInfo& next) {
  const std::string nextId = BoxId(next.serial);
  if (client && nextId == boxId) {
    const bool renamed = next.model != current.model ||
                         next.softwareVersion != current.softwareVersion;
    current = next;
    if (renamed) {
      std::lock_guard lock(mutex);
      republish = connected;
    }
    return;
  }
  closeClient();
  current = next;
  boxId = nextId;
  topics = BoxTopics(options.prefix, boxId);
  discoveryStatus = options.discoveryPrefix + "/status";
  const std::string id = options.clientId.empty() ? "ax7-" + boxId : options.clientId;
  client = mosquitto_new(id.c_str(), true, this);
  if (!client) {
    log("cannot make an MQTT client: " + reason(MOSQ_ERR_ERRNO));
    return;
  }
  if (!options.broker.user.empty()) {
    mosquitto_username_pw_set(client, options.broker.user.c_str(),
                              options.broker.password.empty() ? nullptr
                                                              : options.broker.password.c_str());
  }
  if (options.broker.tls) {
    // One TLS context for the client's life: made at the first attempt and used again by the
    // next ones (libmosquitto refuses to set up a second one over the system's store).
    mosquitto_int_option(client, MOSQ_OPT_SSL_CTX_WITH_DEFAULTS, 0);
    if (!options.caFile.empty()) {
      mosquitto_tls_set(client, options.caFile.c_str(), nullptr, nullptr, nullptr, nullptr);
    } else {
      mosquitto_int_option(client, MOSQ_OPT_TLS_USE_OS_CERTS, 1);
    }
  }
  const std::string offline = "offline";
  mosquitto_will_set(client, topics.availability().c_str(), int(offline.size()), offline.data(), 1,
                     true);
  // Published from the bridge's thread while the connection's thread runs the loop.
  mosquitto_threaded_set(client, true);
  mosquitto_connect_callback_set(client, [](mosquitto*, void* self, int rc) {
    static_cast<Impl*>(self)->onConnect(rc);
  });
  mosquitto_disconnect_callback_set(client, [](mosquitto*, void* self, int rc) {
    static_cast<Impl*>(self)->onDisconnect(rc);
  });
  mosquitto_message_callback_set(client, [](mosquitto*, void* self, const mosquitto_message* m) {
    if (m) static_cast<Impl*>(self)->onMessage(*m);
  });
  mosquitto_log_callback_set(client, [](mosquitto*, void* self, int level, const char* text) {
    // A TLS failure is only told here (the certificate not trusted, the CA file unusable).
    auto* impl = static_cast<Impl*>(self);
    if (level != MOSQ_LOG_ERR || !text) return;
    std::lock_guard lock(impl->tlsMutex);
    if (impl->tlsError.empty()) impl->tlsError = text;
  });
  mosquitto_publish_callback_set(client, [](mosquitto*, void* self, int mid) {
    auto* impl = static_cast<Impl*>(self);
    {
      std::lock_guard lock(impl->mutex);
      if (mid != impl->pendingMid) return;
      impl->pendingMid = -1;
    }
    impl->wake.notify_all();
  });
  {
    std::lock_guard lock(mutex);
    ioStop = false;
  }
  lastFailure.clear();
  io = std::thread([this] { ioRun(); });
}

void Bridge::Impl::setState(const BrokerState& next) {
  {
    std::lock_guard lock(mutex);
    if (brokerState == next) return;
    brokerState = next;
  }
  if (options.stateChanged) options.stateChanged();
}

void Bridge::Impl::ioRun() {
  milliseconds wait = options.retryFirst;
  while (!ioStopping()) {
    BrokerState connecting;
    connecting.kind = BrokerState::Kind::Connecting;
    setState(connecting);
    refusedCode = 0;
    accepted = false;
    {
      std::lock_guard lock(tlsMutex);
      tlsError.clear();
    }
    int rc = mosquitto_connect_async(client, options.broker.host.c_str(), options.broker.port,
                                     options.keepAliveSeconds);
    while (rc == MOSQ_ERR_SUCCESS && !ioStopping()) rc = mosquitto_loop(client, kLoopWaitMs, 1);
    if (ioStopping()) break;
    // A connection that was taken starts the back-off anew.
    if (accepted) wait = options.retryFirst;
    BrokerState failed;
    failed.retrySeconds = int(wholeSeconds(wait));
    std::string line;
    if (refusedCode != 0) {
      failed.kind = BrokerState::Kind::Refused;
      failed.badLogin = refusedCode == kConnackBadLogin || refusedCode == kConnackNotAuthorised;
      failed.detail = mosquitto_connack_string(refusedCode);
      line = "the MQTT broker " + where() + " refused the connection: " + failed.detail;
    } else {
      failed.kind = BrokerState::Kind::Unreachable;
      std::lock_guard lock(tlsMutex);
      failed.detail = tlsError.empty() ? reason(rc) : reason(rc) + " (" + tlsError + ")";
      line = "cannot reach the MQTT broker " + where() + ": " + failed.detail;
    }
    // Said once while it stays the same, not at every try.
    if (line != lastFailure) {
      log(line + "; trying again");
      lastFailure = line;
    }
    setState(failed);
    {
      std::unique_lock lock(mutex);
      wake.wait_for(lock, wait, [&] { return ioStop; });
    }
    wait = std::min(wait * 2, options.retryMax);
  }
}

void Bridge::Impl::closeClient() {
  if (!client) return;
  bool wasConnected = false;
  {
    std::lock_guard lock(mutex);
    wasConnected = connected;
  }
  if (wasConnected) {
    // A clean disconnect does not fire the last will: say it first, and wait for the broker
    // to have it.
    int mid = -1;
    std::unique_lock lock(mutex);
    publish(topics.availability(), "offline", 1, true, &mid);
    pendingMid = mid;
    wake.wait_for(lock, kFlushLimit, [&] { return pendingMid < 0 || !connected; });
  }
  {
    std::lock_guard lock(mutex);
    ioStop = true;
  }
  wake.notify_all();
  // Also wakes the connection's thread from its wait on the network.
  mosquitto_disconnect(client);
  if (io.joinable()) io.join();
  mosquitto_destroy(client);
  client = nullptr;
  std::lock_guard lock(mutex);
  connected = false;
  counts.connected = false;
  commands.clear();
}

void Bridge::Impl::onConnect(int rc) {
  if (rc != 0) {
    refusedCode = rc;  // said by the connection's thread when the attempt has ended
    return;
  }
  accepted = true;
  lastFailure.clear();
  log("connected to the MQTT broker " + where() + " as " + topics.base);
  mosquitto_subscribe(client, nullptr, topics.setFilter().c_str(), 1);
  mosquitto_subscribe(client, nullptr, discoveryStatus.c_str(), 1);
  {
    std::lock_guard lock(mutex);
    connected = true;
    republish = true;
    counts.connected = true;
    ++counts.connects;
  }
  wake.notify_all();
  BrokerState up;
  up.kind = BrokerState::Kind::Connected;
  setState(up);
}

void Bridge::Impl::onDisconnect(int rc) {
  bool was = false;
  {
    std::lock_guard lock(mutex);
    was = std::exchange(connected, false);
    counts.connected = false;
    if (stopping || ioStop) return;
  }
  // A failed attempt ends here too: the connection's thread says why.
  if (was && rc != 0) {
    const std::string line = "lost the MQTT broker " + where() + ": " + reason(rc);
    log(line + "; trying again");
    lastFailure = "cannot reach the MQTT broker " + where() + ": " + reason(rc);
  }
  wake.notify_all();
}

void Bridge::Impl::onMessage(const mosquitto_message& m) {
  if (!m.topic) return;
  const std::string_view topic(m.topic);
  const std::string_view payload(static_cast<const char*>(m.payload),
                                 m.payload ? size_t(std::max(m.payloadlen, 0)) : 0);
  if (topic == discoveryStatus) {
    // Home Assistant came back and forgot every entity that is not retained on the broker.
    if (payload == "online") {
      {
        std::lock_guard lock(mutex);
        republish = true;
      }
      wake.notify_all();
    }
    return;
  }
  Command c = ParseCommand(topics, topic, payload, m.retain);
  if (c.kind == Command::Kind::Other) return;
  if (c.kind == Command::Kind::Refused) {
    refuse(std::string(topic), c.error);
    return;
  }
  {
    std::lock_guard lock(mutex);
    auto same = std::find_if(commands.begin(), commands.end(),
                             [&](const Command& w) { return w.name == c.name; });
    if (same != commands.end()) {
      *same = std::move(c);
    } else {
      commands.push_back(std::move(c));
    }
  }
  wake.notify_all();
}

void Bridge::Impl::publishEverything() {
  publish(topics.availability(), ready ? "online" : "offline", 1, true);
  for (const DiscoveryMessage& m :
       DiscoveryConfigs(options.discoveryPrefix, topics, boxId, current, options.chinese)) {
    publish(m.topic, m.payload, 1, true);
  }
  sent.clear();
  lastStatus.clear();
  nextValues = nextStatus = SteadyClock::now();
}

void Bridge::Impl::refuse(const std::string& topic, const std::string& why) {
  {
    std::lock_guard lock(mutex);
    ++counts.refused;
  }
  publish(topics.error(), ErrorPayload(topic, why), 0, false);
}

void Bridge::Impl::apply(const Command& c) {
  const server::Outcome o =
      c.kind == Command::Kind::Mode ? box.recallMode(c.mode) : box.setValues(c.values);
  if (!o.ok()) {
    refuse(topics.set(c.name), o.body.value("error", std::string("refused")) + "; nothing changed");
    return;
  }
  {
    std::lock_guard lock(mutex);
    ++counts.commands;
  }
  // What was applied is what memory holds now: its state goes out at once, without comparing
  // the whole table (the publisher's next look finds anything else the edit changed).
  const auto applied = o.body.find("applied");
  if (applied == o.body.end() || !applied->is_object()) return;
  for (const auto& [name, value] : applied->items()) sendState(name, StateText(value));
}

void Bridge::Impl::sendState(const std::string& name, const std::string& text) {
  auto [it, added] = sent.try_emplace(name, text);
  if (!added && it->second == text) return;
  it->second = text;
  publish(topics.state(name), text, 0, true);
}

void Bridge::Impl::publishValues() {
  if (!box.connected()) return;
  const server::Json values = box.values();
  for (const auto& [name, value] : values.items()) sendState(name, StateText(value));
  sendState(std::string(kModeTopicName), ModeText(box.mode()));
}

void Bridge::Impl::publishStatus(bool force) {
  if (!box.connected()) return;
  const std::string text = server::dumpJson(StatusDocument(box.status()));
  if (!force && text == lastStatus) return;
  lastStatus = text;
  publish(topics.status(), text, 0, false);
}

void Bridge::Impl::periodic() {
  const auto now = SteadyClock::now();
  if (now >= nextValues) {
    box.tick();
    publishValues();
    nextValues = now + options.publishPeriod;
  }
  if (now >= nextStatus) {
    publishStatus(lastStatus.empty());
    nextStatus = now + options.statusPeriod;
  }
}

void Bridge::Impl::run() {
  ready = box.connected();
  for (;;) {
    bool newDevice = false, poke = false, everything = false, online = false;
    DeviceInfo next;
    std::deque<bool> events;
    std::deque<Command> work;
    {
      std::unique_lock lock(mutex);
      auto pending = [&] {
        return stopping || deviceChanged || !readyEvents.empty() || poked || republish ||
               !commands.empty();
      };
      if (!client || !connected || !ready) {
        wake.wait(lock, pending);
      } else {
        wake.wait_until(lock, std::min(nextValues, nextStatus), pending);
      }
      if (stopping) break;
      newDevice = std::exchange(deviceChanged, false);
      next = device;
      events.swap(readyEvents);
      poke = std::exchange(poked, false);
      everything = std::exchange(republish, false);
      work.swap(commands);
      online = connected;
    }
    if (newDevice) switchDevice(next);
    if (!client) continue;
    for (bool e : events) {
      ready = e;
      if (online) publish(topics.availability(), ready ? "online" : "offline", 1, true);
      // The box was read again: every value and the status go out again.
      if (ready) everything = true;
    }
    if (!online) continue;
    if (everything) publishEverything();
    for (const Command& c : work) apply(c);
    if (poke) nextValues = std::min(nextValues, SteadyClock::now());
    if (ready) periodic();
  }
  closeClient();
}

Bridge::Bridge(server::BoxControl& box, BridgeOptions options)
    : impl_(std::make_unique<Impl>(box, std::move(options))) {}

Bridge::~Bridge() { stop(); }

bool Bridge::start(std::string* error) {
  const BridgeOptions& o = impl_->options;
  std::string why;
  if (!CheckTopicPrefix(o.prefix, &why)) {
    *error = "--mqtt-prefix: " + why;
    return false;
  }
  if (!CheckTopicPrefix(o.discoveryPrefix, &why)) {
    *error = "--discovery-prefix: " + why;
    return false;
  }
  if (o.broker.host.empty()) {
    *error = "no MQTT broker given";
    return false;
  }
  if (!o.caFile.empty()) {
    std::FILE* f = std::fopen(o.caFile.c_str(), "rb");
    if (!f) {
      *error = "cannot read the CA file " + o.caFile + ": " + std::strerror(errno);
      return false;
    }
    std::fclose(f);
  }
  initLibrary();
  impl_->thread = std::thread([impl = impl_.get()] { impl->run(); });
  return true;
}

void Bridge::stop() {
  if (!impl_->thread.joinable()) return;
  {
    std::lock_guard lock(impl_->mutex);
    impl_->stopping = true;
  }
  impl_->wake.notify_all();
  impl_->thread.join();
}

void Bridge::setDevice(const DeviceInfo& device) {
  {
    std::lock_guard lock(impl_->mutex);
    impl_->device = device;
    impl_->deviceChanged = true;
  }
  impl_->wake.notify_all();
}

void Bridge::readyChanged(bool ready) {
  {
    std::lock_guard lock(impl_->mutex);
    auto& events = impl_->readyEvents;
    if (!events.empty() && events.back() == ready) return;
    // Only the last change and the one before it matter: an unplug and re-plug stay a pair.
    if (events.size() >= 2) events.erase(events.begin(), events.end() - 1);
    events.push_back(ready);
  }
  impl_->wake.notify_all();
}

void Bridge::changed() {
  {
    std::lock_guard lock(impl_->mutex);
    impl_->poked = true;
  }
  impl_->wake.notify_all();
}

Bridge::Counts Bridge::counts() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->counts;
}

BrokerState Bridge::state() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->brokerState;
}

}  // namespace ax7::mqtt
