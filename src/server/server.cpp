#include "server/server.h"

#include <algorithm>
#include <cstdio>
#include <atomic>
#include <boost/asio.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/websocket.hpp>
#include <deque>
#include <map>
#include <optional>
#include <thread>
#include <vector>

#include "server/access.h"
#include "server/api.h"

namespace ax7::server {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
namespace websocket = beast::websocket;
using tcp = asio::ip::tcp;
using namespace std::chrono_literals;

namespace {

constexpr size_t kMaxQueuedMessages = 64;  // of one kind, that a client has not read
constexpr auto kMaxWrongTokenDelay = 8000ms;
constexpr size_t kMaxTrackedAddresses = 4096;
constexpr auto kStatusPeriod = 100ms;
constexpr auto kCheckDelay = 10ms;
constexpr auto kRefusedLinger = 2s;
constexpr const char* kServerName = "ax7ctl";

class WsSession;

}  // namespace

struct Server::Impl {
  Impl(BoxControl& b, ServerOptions o)
      : box(b),
        options(std::move(o)),
        ioc(std::make_unique<asio::io_context>(1)),
        acceptor(std::make_unique<tcp::acceptor>(*ioc)),
        timer(std::make_unique<asio::steady_timer>(*ioc)),
        retryTimer(std::make_unique<asio::steady_timer>(*ioc)),
        checkTimer(std::make_unique<asio::steady_timer>(*ioc)) {}
  // Handlers still queued hold sessions, whose ends reach back here: the context goes first.
  ~Impl() {
    acceptor.reset();
    timer.reset();
    retryTimer.reset();
    checkTimer.reset();
    ioc.reset();
  }

  void accept();
  void refuse(tcp::socket socket);
  void schedulePublish();
  void publish();
  void connectionChanged(bool connected);
  void publishValues();
  void checkSoon();
  std::vector<std::shared_ptr<WsSession>> liveSockets();
  std::chrono::milliseconds wrongToken(const std::string& address);

  BoxControl& box;
  const ServerOptions options;
  std::unique_ptr<asio::io_context> ioc;
  std::unique_ptr<tcp::acceptor> acceptor;
  std::unique_ptr<asio::steady_timer> timer;       // the publisher
  std::unique_ptr<asio::steady_timer> retryTimer;  // accepting again after a failure
  std::unique_ptr<asio::steady_timer> checkTimer;  // comparing values after an edit
  std::thread thread;
  std::atomic<uint16_t> port{0};
  std::atomic<uint64_t> wrongTokens{0}, refusedClients{0};

  // I/O thread only.
  size_t clients = 0;
  std::vector<std::weak_ptr<WsSession>> sockets;
  std::map<std::string, int> wrongTries;  // by remote address
  bool lastConnected = false;
  Json lastValues;  // null: none sent to the present clients yet
  int lastMode = 0;
  Json lastStatus;
  std::chrono::steady_clock::time_point lastStatusSent{};
  bool checkPosted = false;
};

namespace {

// One client counted against the limit for as long as its connection lives.
class ClientSlot {
 public:
  explicit ClientSlot(Server::Impl& impl) : impl_(&impl) { ++impl.clients; }
  ClientSlot(ClientSlot&& o) noexcept : impl_(std::exchange(o.impl_, nullptr)) {}
  ClientSlot& operator=(ClientSlot&&) = delete;
  ~ClientSlot() {
    if (impl_) --impl_->clients;
  }

 private:
  Server::Impl* impl_;
};

std::string remoteAddress(const tcp::socket& s) {
  boost::system::error_code ec;
  const tcp::endpoint e = s.remote_endpoint(ec);
  return ec ? std::string() : e.address().to_string();
}

class WsSession : public std::enable_shared_from_this<WsSession> {
 public:
  WsSession(Server::Impl& impl, beast::tcp_stream stream, ClientSlot slot)
      : impl_(impl), ws_(std::move(stream)), slot_(std::move(slot)) {}

  void run(http::request<http::string_body> request) {
    request_ = std::move(request);
    beast::get_lowest_layer(ws_).expires_never();
    websocket::stream_base::timeout t{};
    t.handshake_timeout = impl_.options.requestTimeout;
    t.idle_timeout = impl_.options.idleTimeout;
    t.keep_alive_pings = true;
    ws_.set_option(t);
    ws_.read_message_max(kMaxBodyBytes);
    ws_.set_option(websocket::stream_base::decorator(
        [](websocket::response_type& r) { r.set(http::field::server, kServerName); }));
    ws_.async_accept(request_, [self = shared_from_this()](beast::error_code ec) {
      self->accepted(ec);
    });
  }

  bool open() const { return open_; }

  void queueMessage(std::string text) {
    if (control_.size() >= kMaxQueuedMessages) {
      // Not reading at all: rather than keep a growing queue, the client is let go.
      close();
      return;
    }
    control_.push_back(std::move(text));
    flush();
  }
  // The whole state replaces the values waiting, which it holds.
  void queueState(const std::string& text) {
    values_ = Json::object();
    queueMessage(text);
  }
  void queueValues(const Json& changed) {
    for (const auto& [name, value] : changed.items()) values_[name] = value;
    flush();
  }
  void queueStatus(std::string text) {
    status_ = std::move(text);
    flush();
  }

 private:
  void accepted(beast::error_code ec) {
    if (ec) return;
    open_ = true;
    impl_.sockets.push_back(weak_from_this());
    const Json state = StateMessage(impl_.box);
    // With no other client followed, this state is what later changes are measured against:
    // an edit made before the next comparison must not be taken for the starting point.
    if (impl_.lastValues.is_null()) {
      impl_.lastConnected = state["connected"] == true;
      if (impl_.lastConnected) {
        impl_.lastValues = state["values"];
        impl_.lastMode = state["mode"];
      }
    }
    queueState(dumpJson(state));
    read();
  }

  void read() {
    ws_.async_read(in_, [self = shared_from_this()](beast::error_code ec, size_t) {
      self->received(ec);
    });
  }

  void received(beast::error_code ec) {
    if (ec) {
      open_ = false;
      return;
    }
    const std::string text = beast::buffers_to_string(in_.data());
    in_.consume(in_.size());
    const Json answer = HandleClientMessage(impl_.box, text);
    if (answer.value("type", "") == "applied") {
      // Merged like the values: a client that sends a burst and reads later gets the last.
      for (const auto& [name, value] : answer["values"].items()) applied_[name] = value;
      impl_.checkSoon();
    } else if (!answer.is_null() && errors_.size() < kMaxQueuedMessages) {
      errors_.push_back(dumpJson(answer));  // beyond that, a client not reading loses errors
    }
    flush();
    if (open_) read();
  }

  void flush() {
    if (writing_ || !open_) return;
    if (!control_.empty()) {
      out_ = std::move(control_.front());
      control_.pop_front();
    } else if (!errors_.empty()) {
      out_ = std::move(errors_.front());
      errors_.pop_front();
    } else if (!applied_.empty()) {
      Json m = Json::object();
      m["type"] = "applied";
      m["values"] = std::move(applied_);
      applied_ = Json::object();
      out_ = dumpJson(m);
    } else if (!values_.empty()) {
      Json m = Json::object();
      m["type"] = "values";
      m["values"] = std::move(values_);
      values_ = Json::object();
      out_ = dumpJson(m);
    } else if (status_) {
      out_ = std::move(*status_);
      status_.reset();
    } else {
      return;
    }
    writing_ = true;
    ws_.text(true);
    ws_.async_write(asio::buffer(out_), [self = shared_from_this()](beast::error_code ec, size_t) {
      self->writing_ = false;
      if (ec) {
        self->open_ = false;
        return;
      }
      self->flush();
    });
  }

  void close() {
    if (!open_) return;
    open_ = false;
    beast::get_lowest_layer(ws_).close();
  }

  Server::Impl& impl_;
  websocket::stream<beast::tcp_stream> ws_;
  ClientSlot slot_;
  http::request<http::string_body> request_;
  beast::flat_buffer in_;
  bool open_ = false;
  bool writing_ = false;
  std::string out_;
  std::deque<std::string> control_;  // state, mode, connection: in order
  std::deque<std::string> errors_;   // answers to messages refused
  Json applied_ = Json::object();    // what this client's sets applied, merged by name
  Json values_ = Json::object();
  std::optional<std::string> status_;
};

// A connection beyond the limit: told so, then closed.
class RefusedClient : public std::enable_shared_from_this<RefusedClient> {
 public:
  explicit RefusedClient(tcp::socket socket) : stream_(std::move(socket)) {}

  void run() {
    static const std::string kBusy =
        "HTTP/1.1 503 Service Unavailable\r\nServer: ax7ctl\r\n"
        "Content-Type: application/json\r\nConnection: close\r\nRetry-After: 1\r\n"
        "Content-Length: 55\r\n\r\n"
        "{\"api_version\":1,\"error\":\"too many clients; try again\"}";
    stream_.expires_after(kRefusedLinger);
    asio::async_write(stream_, asio::buffer(kBusy),
                      [self = shared_from_this()](beast::error_code ec, size_t) {
                        if (ec) return;
                        // Our side ends; what the client still sends is read and dropped, so
                        // closing does not reset the connection before it read the answer.
                        beast::error_code ignored;
                        self->stream_.socket().shutdown(tcp::socket::shutdown_send, ignored);
                        self->drain();
                      });
  }

 private:
  void drain() {
    stream_.async_read_some(asio::buffer(buffer_),
                            [self = shared_from_this()](beast::error_code ec, size_t) {
                              if (!ec) self->drain();
                            });
  }

  beast::tcp_stream stream_;
  std::array<char, 4096> buffer_{};
};

class HttpSession : public std::enable_shared_from_this<HttpSession> {
 public:
  HttpSession(Server::Impl& impl, tcp::socket socket)
      : impl_(impl),
        address_(remoteAddress(socket)),
        stream_(std::move(socket)),
        slot_(std::make_unique<ClientSlot>(impl)),
        delay_(stream_.get_executor()) {}

  void read() {
    parser_.emplace();
    parser_->header_limit(uint32_t(impl_.options.headerLimit));
    parser_->body_limit(kMaxBodyBytes);
    stream_.expires_after(impl_.options.requestTimeout);
    http::async_read_header(stream_, buffer_, *parser_,
                            [self = shared_from_this()](beast::error_code ec, size_t) {
                              self->headerRead(ec);
                            });
  }

 private:
  void headerRead(beast::error_code ec) {
    if (ec == http::error::end_of_stream || ec == beast::error::timeout ||
        ec == asio::error::connection_reset || ec == asio::error::operation_aborted) {
      return shutdown();
    }
    if (ec == http::error::header_limit) return refuse(431, "the request's header is too large");
    if (ec == http::error::body_limit) {
      return refuse(413, "the body is larger than " + std::to_string(kMaxBodyBytes) + " bytes");
    }
    if (ec) return refuse(400, "not an HTTP request this server understands");

    const auto& req = parser_->get();
    const std::string target(req.target());
    const bool upgrade = websocket::is_upgrade(req);
    if (refused(req, upgrade)) return;

    if (upgrade) {
      if (TargetPath(target) != kWebSocketPath) return refuse(404, "not found");
      auto ws = std::make_shared<WsSession>(impl_, std::move(stream_), std::move(*slot_));
      slot_.reset();
      ws->run(parser_->release());
      return;
    }
    const size_t limit = BodyLimit(target);
    if (const auto length = parser_->content_length(); length && *length > limit) {
      return refuse(413, "the body is larger than " + std::to_string(limit) + " bytes");
    }
    parser_->body_limit(limit);
    if (parser_->is_done()) return handle();
    http::async_read(stream_, buffer_, *parser_,
                     [self = shared_from_this()](beast::error_code ec, size_t) {
                       self->bodyRead(ec);
                     });
  }

  void bodyRead(beast::error_code ec) {
    if (ec == http::error::body_limit) {
      return refuse(413, "the body is larger than " +
                             std::to_string(BodyLimit(parser_->get().target())) + " bytes");
    }
    if (ec) return shutdown();
    handle();
  }

  // Host, Origin and token; true when the request was refused (the answer is on its way).
  bool refused(const http::request<http::string_body>& req, bool upgrade) {
    const std::string_view host = req[http::field::host];
    const std::string_view origin = req[http::field::origin];
    if (!origin.empty() && !boost::beast::iequals(OriginHost(origin), host)) {
      refuse(403, "requests from pages of another host are refused");
      return true;
    }
    const std::string& token = impl_.options.token;
    if (token.empty()) {
      if (!host.empty() && !IsLoopbackAddress(HostName(host))) {
        refuse(403, "this server answers only to a loopback host name");
        return true;
      }
      return false;
    }
    if (TargetPath(req.target()) == "/" && !upgrade) return false;  // the page holds no secret
    std::string given(BearerToken(req[http::field::authorization]));
    if (given.empty() && upgrade) given = QueryValue(req.target(), "token");
    if (given.empty()) {
      refuse(401, "a token is needed: Authorization: Bearer TOKEN");
      return true;
    }
    if (!SameSecret(given, token)) {
      ++impl_.wrongTokens;
      const auto wait = impl_.wrongToken(address_);
      delay_.expires_after(wait);
      delay_.async_wait([self = shared_from_this()](beast::error_code) {
        self->refuse(401, "wrong token");
      });
      return true;
    }
    impl_.wrongTries.erase(address_);
    return false;
  }

  void handle() {
    auto& req = parser_->get();
    const std::string method(req.method_string());
    const HttpAnswer answer = HandleRequest(impl_.box, method, req.target(), req.body());
    if (answer.status == 200 && (method == "PUT" || method == "POST")) impl_.checkSoon();
    write(answer, !req.keep_alive());
  }

  void refuse(int status, const std::string& why) {
    Json doc = apiDocument();
    doc["error"] = why;
    HttpAnswer a;
    a.status = status;
    a.body = dumpJson(doc);
    if (status == 401) a.headers.emplace_back("WWW-Authenticate", "Bearer");
    write(a, true);
  }

  void write(const HttpAnswer& a, bool close) {
    auto res = std::make_shared<http::response<http::string_body>>();
    res->version(11);
    res->result(http::int_to_status(unsigned(a.status)));
    res->set(http::field::server, kServerName);
    res->set(http::field::content_type, a.contentType);
    res->set("X-Content-Type-Options", "nosniff");
    for (const auto& [name, value] : a.headers) res->set(name, value);
    res->body() = a.body;
    res->keep_alive(!close);
    res->prepare_payload();
    stream_.expires_after(impl_.options.requestTimeout);
    http::async_write(stream_, *res,
                      [self = shared_from_this(), res, close](beast::error_code ec, size_t) {
                        if (ec || close) return self->shutdown();
                        self->read();
                      });
  }

  void shutdown() {
    beast::error_code ec;
    stream_.socket().shutdown(tcp::socket::shutdown_send, ec);
  }

  Server::Impl& impl_;
  const std::string address_;
  beast::tcp_stream stream_;
  std::unique_ptr<ClientSlot> slot_;
  asio::steady_timer delay_;
  beast::flat_buffer buffer_;
  std::optional<http::request_parser<http::string_body>> parser_;
};

}  // namespace

void Server::Impl::accept() {
  acceptor->async_accept(
      *ioc, [this](beast::error_code ec, tcp::socket socket) {
        if (ec == asio::error::operation_aborted) return;
        if (ec) {
          // Out of file descriptors, most likely: try again shortly instead of spinning.
          retryTimer->expires_after(100ms);
          retryTimer->async_wait([this](beast::error_code e) {
            if (!e) accept();
          });
          return;
        }
        if (clients >= options.maxClients) {
          refuse(std::move(socket));
        } else {
          std::make_shared<HttpSession>(*this, std::move(socket))->read();
        }
        accept();
      });
}

void Server::Impl::refuse(tcp::socket socket) {
  ++refusedClients;
  std::make_shared<RefusedClient>(std::move(socket))->run();
}

void Server::Impl::schedulePublish() {
  timer->expires_after(options.publishPeriod);
  timer->async_wait([this](beast::error_code ec) {
    if (ec) return;
    publish();
    schedulePublish();
  });
}

std::chrono::milliseconds Server::Impl::wrongToken(const std::string& address) {
  if (wrongTries.size() >= kMaxTrackedAddresses) wrongTries.clear();
  const int tries = std::min(++wrongTries[address], 16);
  auto wait = options.wrongTokenDelay * (int64_t(1) << (tries - 1));
  return std::min<std::chrono::milliseconds>(wait, kMaxWrongTokenDelay);
}

std::vector<std::shared_ptr<WsSession>> Server::Impl::liveSockets() {
  std::vector<std::shared_ptr<WsSession>> live;
  std::vector<std::weak_ptr<WsSession>> kept;
  for (const auto& w : sockets) {
    if (auto s = w.lock(); s && s->open()) {
      live.push_back(s);
      kept.push_back(w);
    }
  }
  sockets = std::move(kept);
  return live;
}

void Server::Impl::publishValues() {
  const auto live = liveSockets();
  if (live.empty() || !lastConnected) {
    lastValues = nullptr;
    return;
  }
  Json values = box.values();
  const int mode = box.mode();
  if (lastValues.is_null() || lastValues.size() != values.size()) {
    lastValues = std::move(values);
    lastMode = mode;
    return;
  }
  // Both hold every name in the table's order: compared side by side.
  Json changed = Json::object();
  auto before = lastValues.begin();
  for (auto now = values.begin(); now != values.end(); ++now, ++before) {
    if (*now != *before) changed[now.key()] = *now;
  }
  if (!changed.empty()) {
    for (const auto& s : live) s->queueValues(changed);
  }
  if (mode != lastMode) {
    Json m = Json::object();
    m["type"] = "mode";
    m["mode"] = mode;
    const std::string text = dumpJson(m);
    for (const auto& s : live) s->queueMessage(text);
  }
  lastValues = std::move(values);
  lastMode = mode;
}

void Server::Impl::connectionChanged(bool connected) {
  lastConnected = connected;
  const auto live = liveSockets();
  if (connected) {
    // Back (or read again after a recall): everything, as to a new client.
    const Json state = StateMessage(box);
    const std::string text = dumpJson(state);
    for (const auto& s : live) s->queueState(text);
    lastValues = live.empty() ? Json() : state["values"];
    lastMode = state["mode"];
    lastStatus = state["status"];
  } else {
    const std::string text = R"({"type":"connection","connected":false})";
    for (const auto& s : live) s->queueMessage(text);
    lastValues = nullptr;
  }
}

void Server::Impl::publish() {
  box.tick();
  const bool connected = box.connected();
  if (connected != lastConnected) return connectionChanged(connected);
  publishValues();
  const auto now = std::chrono::steady_clock::now();
  if (!connected || now - lastStatusSent < kStatusPeriod - 5ms) return;
  const auto live = liveSockets();
  if (live.empty()) return;
  Json status = box.status();
  if (status == lastStatus) return;
  lastStatus = status;
  lastStatusSent = now;
  Json m = Json::object();
  m["type"] = "status";
  m["status"] = std::move(status);
  const std::string text = dumpJson(m);
  for (const auto& s : live) s->queueStatus(text);
}

void Server::Impl::checkSoon() {
  // Edits that come in a burst are compared once, a moment after the first of them.
  if (checkPosted) return;
  checkPosted = true;
  checkTimer->expires_after(kCheckDelay);
  checkTimer->async_wait([this](beast::error_code ec) {
    checkPosted = false;
    if (!ec) publishValues();
  });
}

Server::Server(BoxControl& box, ServerOptions options)
    : impl_(std::make_shared<Impl>(box, std::move(options))) {}

Server::~Server() { stop(); }

bool Server::start(std::string* error) {
  Impl& s = *impl_;
  beast::error_code ec;
  const auto address = asio::ip::make_address(s.options.address, ec);
  if (ec) {
    *error = "'" + s.options.address + "' is not an IP address";
    return false;
  }
  const tcp::endpoint endpoint(address, s.options.port);
  s.acceptor->open(endpoint.protocol(), ec);
  if (!ec) s.acceptor->set_option(asio::socket_base::reuse_address(true), ec);
  if (!ec) s.acceptor->bind(endpoint, ec);
  if (!ec) s.acceptor->listen(asio::socket_base::max_listen_connections, ec);
  if (ec) {
    *error = "cannot listen on " + s.options.address + ":" + std::to_string(s.options.port) +
             ": " + ec.message();
    return false;
  }
  s.port = s.acceptor->local_endpoint().port();
  s.accept();
  s.schedulePublish();
  s.thread = std::thread([&s] {
    // A request that makes a handler throw loses its connection, never the server.
    for (;;) {
      try {
        s.ioc->run();
        return;
      } catch (const std::exception& e) {
        std::fprintf(stderr, "remote server: dropped a request: %s\n", e.what());
      }
    }
  });
  return true;
}

void Server::stop() {
  Impl& s = *impl_;
  if (!s.thread.joinable()) return;
  s.ioc->stop();
  s.thread.join();
}

uint16_t Server::port() const { return impl_->port; }

void Server::changed() {
  Impl& s = *impl_;
  asio::post(*s.ioc, [&s] { s.checkSoon(); });
}

void Server::readyChanged(bool ready) {
  Impl& s = *impl_;
  asio::post(*s.ioc, [&s, ready] {
    // A change the publisher already saw (or an order it did not see) is told as it is now.
    if (ready != s.lastConnected || !ready) s.connectionChanged(ready);
  });
}

Server::Counts Server::counts() const { return {impl_->wrongTokens, impl_->refusedClients}; }

}  // namespace ax7::server
