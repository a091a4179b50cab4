#pragma once
// A real mosquitto broker for tests, on a free loopback port with a configuration of its own,
// stopped when the object goes; throw-away certificates for a TLS listener; and a small client
// on libmosquitto that keeps every message it sees. Tests skip where the broker is not
// installed.
#include <fcntl.h>
#include <mosquitto.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace ax7::test {

inline std::string mosquittoPath() {
  for (const char* p : {"/usr/sbin/mosquitto", "/usr/bin/mosquitto", "/usr/local/sbin/mosquitto"}) {
    if (access(p, X_OK) == 0) return p;
  }
  return {};
}

inline bool canConnect(uint16_t port) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(port);
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  const bool ok = connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
  close(fd);
  return ok;
}

inline uint16_t freePort() {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
  socklen_t len = sizeof a;
  getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
  close(fd);
  return ntohs(a.sin_port);
}

// Runs a shell command line quietly; true when it succeeded.
inline bool runQuietly(const std::string& line) {
  return std::system((line + " >/dev/null 2>&1").c_str()) == 0;
}

// A CA of its own (DIR/NAME.pem, DIR/NAME.key); with `server`, also a certificate it signed for
// 127.0.0.1 (DIR/NAME-server.pem, DIR/NAME-server.key). False without the openssl tool.
inline bool makeCertificates(const std::filesystem::path& dir, const std::string& name,
                             bool server) {
  const std::string d = dir.string() + "/";
  const std::string key = " -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes";
  if (!runQuietly("openssl req -x509" + key + " -days 2 -subj /CN=" + name + " -keyout " + d +
                  name + ".key -out " + d + name + ".pem" +
                  " -addext basicConstraints=critical,CA:TRUE" +
                  " -addext keyUsage=critical,keyCertSign,cRLSign")) {
    return false;
  }
  if (!server) return true;
  std::ofstream(d + name + "-ext.cnf")
      << "subjectAltName=IP:127.0.0.1,DNS:localhost\nbasicConstraints=CA:FALSE\n"
         "extendedKeyUsage=serverAuth\n";
  return runQuietly("openssl req" + key + " -subj /CN=127.0.0.1 -keyout " + d + name +
                    "-server.key -out " + d + name + "-server.csr") &&
         runQuietly("openssl x509 -req -days 2 -in " + d + name + "-server.csr -CA " + d + name +
                    ".pem -CAkey " + d + name + ".key -CAcreateserial -out " + d + name +
                    "-server.pem -extfile " + d + name + "-ext.cnf") &&
         // mosquitto started by root reads it as the user it switches to.
         runQuietly("chmod 644 " + d + name + "-server.key");
}

class MqttBroker {
 public:
  // `extra`: more lines of mosquitto.conf after the plain listener (another listener, the
  // access rules).
  explicit MqttBroker(const std::filesystem::path& dir, uint16_t port = 0,
                      const std::string& extra = "allow_anonymous true\n")
      : conf_(dir / "mosquitto.conf"), port_(port ? port : freePort()) {
    std::ofstream(conf_) << "listener " << port_ << " 127.0.0.1\n" << extra;
  }
  ~MqttBroker() { stop(); }
  MqttBroker(const MqttBroker&) = delete;
  MqttBroker& operator=(const MqttBroker&) = delete;

  static bool installed() { return !mosquittoPath().empty(); }
  // mosquitto.conf lines for a TLS listener on `port` with DIR/NAME-server.pem from
  // makeCertificates().
  static std::string tlsListener(uint16_t port, const std::filesystem::path& dir,
                                 const std::string& name) {
    const std::string d = dir.string() + "/";
    return "listener " + std::to_string(port) + " 127.0.0.1\ncafile " + d + name +
           ".pem\ncertfile " + d + name + "-server.pem\nkeyfile " + d + name + "-server.key\n";
  }
  // A password file for mosquitto with one user; false without mosquitto_passwd. Its folder
  // must be open to others too: mosquitto started by root reads it as another user.
  static bool passwordFile(const std::filesystem::path& file, const std::string& user,
                           const std::string& password) {
    return runQuietly("mosquitto_passwd -b -c '" + file.string() + "' '" + user + "' '" +
                      password + "'") &&
           runQuietly("chmod 644 '" + file.string() + "'");
  }
  uint16_t port() const { return port_; }
  std::string url() const { return "mqtt://127.0.0.1:" + std::to_string(port_); }

  // Starts it and waits until it takes connections.
  bool start() {
    const std::string path = mosquittoPath();
    std::vector<std::string> args = {path, "-c", conf_.string()};
    std::vector<char*> argv;
    for (auto& s : args) argv.push_back(s.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const int rc = posix_spawn(&pid_, path.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
      pid_ = -1;
      return false;
    }
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < end) {
      if (canConnect(port_)) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }
  void stop() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

 private:
  std::filesystem::path conf_;
  uint16_t port_;
  pid_t pid_ = -1;
};

struct MqttMessage {
  std::string topic;
  std::string payload;
  bool retained = false;
};

// Subscribes to `filter` (everything by default) and keeps what comes, in order.
class MqttClient {
 public:
  explicit MqttClient(uint16_t port, const std::string& filter = "#") : filter_(filter) {
    mosquitto_lib_init();
    m_ = mosquitto_new(nullptr, true, this);
    mosquitto_connect_callback_set(m_, [](mosquitto* m, void* self, int rc) {
      auto* c = static_cast<MqttClient*>(self);
      if (rc == 0) mosquitto_subscribe(m, nullptr, c->filter_.c_str(), 1);
    });
    mosquitto_subscribe_callback_set(m_, [](mosquitto*, void* self, int, int, const int*) {
      auto* c = static_cast<MqttClient*>(self);
      std::lock_guard lock(c->mutex_);
      c->subscribed_ = true;
      c->cv_.notify_all();
    });
    mosquitto_message_callback_set(m_, [](mosquitto*, void* self, const mosquitto_message* m) {
      auto* c = static_cast<MqttClient*>(self);
      std::lock_guard lock(c->mutex_);
      c->messages_.push_back({m->topic, std::string(static_cast<const char*>(m->payload),
                                                    size_t(m->payloadlen)),
                              m->retain});
      c->cv_.notify_all();
    });
    mosquitto_connect_async(m_, "127.0.0.1", port, 30);
    mosquitto_loop_start(m_);
    std::unique_lock lock(mutex_);
    cv_.wait_for(lock, std::chrono::seconds(10), [&] { return subscribed_; });
  }
  ~MqttClient() {
    mosquitto_disconnect(m_);
    mosquitto_loop_stop(m_, false);
    mosquitto_destroy(m_);
  }
  MqttClient(const MqttClient&) = delete;
  MqttClient& operator=(const MqttClient&) = delete;

  void publish(const std::string& topic, const std::string& payload, bool retain = false) {
    mosquitto_publish(m_, nullptr, topic.c_str(), int(payload.size()), payload.data(), 1, retain);
  }

  // Waits up to `seconds` until `done` holds for the messages so far.
  bool waitFor(const std::function<bool(const std::vector<MqttMessage>&)>& done,
               int seconds = 20) {
    std::unique_lock lock(mutex_);
    return cv_.wait_for(lock, std::chrono::seconds(seconds), [&] { return done(messages_); });
  }
  // Waits for a message on `topic` that `match` accepts.
  bool waitTopic(const std::string& topic, const std::function<bool(const std::string&)>& match,
                 int seconds = 20) {
    return waitFor([&](const std::vector<MqttMessage>& all) {
      for (const MqttMessage& m : all) {
        if (m.topic == topic && match(m.payload)) return true;
      }
      return false;
    }, seconds);
  }
  std::vector<MqttMessage> messages() {
    std::lock_guard lock(mutex_);
    return messages_;
  }
  void clear() {
    std::lock_guard lock(mutex_);
    messages_.clear();
  }

 private:
  std::string filter_;
  mosquitto* m_ = nullptr;
  std::mutex mutex_;
  std::condition_variable cv_;
  bool subscribed_ = false;
  std::vector<MqttMessage> messages_;
};

}  // namespace ax7::test
