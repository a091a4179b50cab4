#pragma once
// The box on an MQTT broker: its values on retained state topics, commands from set topics,
// the live status, its availability and Home Assistant's discovery configs (mqtt/topics.h,
// mqtt/discovery.h). It owns no box: every command goes to a server::BoxControl, as the HTTP
// server's do.
//
// Design:
// - libmosquitto's own thread reads the broker and reconnects; its callbacks only parse, answer
//   refused commands and hand the rest to the bridge's thread, which alone calls the
//   BoxControl (whose calls never wait for the box) and runs the publisher. The broker's thread
//   never waits for the box.
// - Nothing is sent before the box's identity is known (setDevice): the topics and the last
//   will carry its serial.
// - The publisher compares every value by name with what it last sent, ten times a second,
//   and sends what changed, whoever made the change; a command's own values go out as soon as
//   they are applied. The status goes out when it changed, at most once a second. After a connect, after Home Assistant says
//   online and when the box is back, everything is sent again.
// - A broker that cannot be reached, or that refuses the login, is tried again after 1 s,
//   doubling up to 30 s, from the connection's own thread; the owner's other services never
//   wait for it, and state() says where it stands (for a window to show).
// - Nothing grows with the number of commands: a command waiting for the bridge's thread is
//   replaced by a later one to the same name, and what the publisher sends is bounded by the
//   names.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "mqtt/broker_url.h"
#include "mqtt/discovery.h"
#include "server/box_control.h"

namespace ax7::mqtt {

// Where the connection to the broker stands.
struct BrokerState {
  enum class Kind {
    WaitingForBox,  // nothing is sent before the box's identity is known
    Connecting,
    Connected,
    Unreachable,  // no connection (also a TLS failure); tried again
    Refused,      // the broker answered and said no; tried again
  };
  Kind kind = Kind::WaitingForBox;
  int retrySeconds = 0;   // Unreachable, Refused: the wait before the next try
  bool badLogin = false;  // Refused: because of the user name or the password
  std::string detail;     // Unreachable, Refused: why, in the library's or the broker's words

  bool operator==(const BrokerState&) const = default;
};

struct BridgeOptions {
  BrokerUrl broker;
  std::string caFile;    // mqtts: the CA certificates; empty: the system's store
  std::string clientId;  // empty: "ax7-ID"
  std::string prefix = "ax7";
  std::string discoveryPrefix = "homeassistant";
  bool chinese = false;  // the entities' names
  int keepAliveSeconds = 30;
  std::chrono::milliseconds publishPeriod{100};
  std::chrono::milliseconds statusPeriod{1000};
  std::chrono::milliseconds retryFirst{1000};  // whole seconds
  std::chrono::milliseconds retryMax{30000};
  // One line on every change of the connection (connected, lost, refused); from the thread.
  std::function<void(const std::string&)> log;
  // state() changed; called from the bridge's threads, so it must not wait for them.
  std::function<void()> stateChanged;
};

class Bridge {
 public:
  Bridge(server::BoxControl& box, BridgeOptions options);
  ~Bridge();
  Bridge(const Bridge&) = delete;
  Bridge& operator=(const Bridge&) = delete;

  // Checks the options (prefixes, the CA file) and starts the thread; false with a one-line
  // reason. A broker that is down is no failure: it is tried again until stop().
  bool start(std::string* error);
  // Says offline, disconnects and joins the thread.
  void stop();
  // Who the box is; the bridge connects once it knows. Another serial moves the bridge to the
  // new box's topics.
  void setDevice(const DeviceInfo& device);
  // The box went away (false) or is back and read (true); told on the broker in this order.
  void readyChanged(bool ready);
  // Something changed outside (an edit in the window): compare values now.
  void changed();

  struct Counts {
    bool connected = false;
    uint64_t connects = 0;  // connections the broker accepted
    uint64_t commands = 0;  // commands applied
    uint64_t refused = 0;   // commands answered on the error topic
  };
  Counts counts() const;
  BrokerState state() const;

  struct Impl;  // bridge.cpp

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace ax7::mqtt
