#pragma once
// The HTTP and WebSocket server of the remote control: the API of server/api.h and the page, on
// one address, with its own I/O thread. It owns no box: every request goes to a BoxControl.
//
// Design:
// - One I/O thread runs every connection, the publisher and the timers, so the server's own
//   state needs no locks; the BoxControl is called from that thread only.
// - The publisher compares every value by name with what it last sent, ten times a second and
//   at once after an edit, and sends what changed to every WebSocket client, whoever made the
//   change (a client, the window, the box); the live status goes out at most ten times a second.
// - A client that reads slowly keeps one slot per kind of message (values merged by name, the
//   latest status), never a growing queue: it loses intermediate status messages, never the
//   last value.
// - Limits: header size, body size (server/api.h), the time a request may take, idle WebSocket
//   time, the number of clients, message size. A wrong token is answered 401 after a delay that
//   doubles with every wrong try from the same address.
// - With a token, every request but the page needs "Authorization: Bearer TOKEN" (a WebSocket
//   upgrade may carry it as ?token=, since browsers cannot set headers there). A request whose
//   Origin is another host is refused; without a token the Host must be a loopback name, so no
//   web page in a browser of this computer can reach the API by another host name.
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "server/box_control.h"

namespace ax7::server {

struct ServerOptions {
  std::string address = "127.0.0.1";
  uint16_t port = 8744;  // 0: any free port
  std::string token;     // empty: none needed (loopback only; the caller checks)
  size_t maxClients = 128;
  size_t headerLimit = 16 * 1024;
  std::chrono::milliseconds requestTimeout{10000};  // to read a request's header and body
  std::chrono::milliseconds idleTimeout{60000};     // a keep-alive or WebSocket connection
  std::chrono::milliseconds publishPeriod{100};     // values check and status
  std::chrono::milliseconds wrongTokenDelay{250};   // the first; doubles, up to 8 s
};

class Server {
 public:
  Server(BoxControl& box, ServerOptions options);
  ~Server();
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  // Binds and starts serving on the I/O thread; false with a one-line reason.
  bool start(std::string* error);
  // Stops serving and joins the thread; every connection is closed.
  void stop();
  // The port it listens on (the one chosen for port 0).
  uint16_t port() const;
  // Something changed outside the server (an edit in the window): compare values now.
  void changed();
  // The box went away (false) or is back and read (true): clients are told in this order,
  // even when both happen between two of the publisher's looks.
  void readyChanged(bool ready);

  struct Counts {
    uint64_t wrongTokens = 0;  // requests refused for a wrong token
    uint64_t refusedClients = 0;  // connections refused for the limit
  };
  Counts counts() const;

  struct Impl;  // server.cpp

 private:
  std::shared_ptr<Impl> impl_;
};

}  // namespace ax7::server
