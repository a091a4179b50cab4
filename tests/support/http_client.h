#pragma once
// A real HTTP and WebSocket client for the server's tests (Boost.Beast, blocking, loopback),
// and raw sockets for what no well-behaved client sends.
#include <boost/asio.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/websocket.hpp>
#include <chrono>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace ax7::test {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
namespace websocket = beast::websocket;
using tcp = asio::ip::tcp;

struct HttpReply {
  int status = 0;  // 0: no answer (the connection failed or was closed)
  std::string body;
  http::fields headers;
  nlohmann::json json() const { return nlohmann::json::parse(body, nullptr, false); }
};

using Headers = std::vector<std::pair<std::string, std::string>>;

// A connection to the server on this computer, with a limit for what follows; false when
// nothing listens.
inline bool connectLocal(beast::tcp_stream& stream, uint16_t port) {
  beast::error_code ec;
  stream.connect(tcp::endpoint(asio::ip::make_address("127.0.0.1"), port), ec);
  stream.expires_after(std::chrono::seconds(20));
  return !ec;
}

inline HttpReply httpRequest(uint16_t port, http::verb method, const std::string& target,
                             const std::string& body = {}, const Headers& headers = {}) {
  asio::io_context ioc;
  beast::tcp_stream stream(ioc);
  if (!connectLocal(stream, port)) return {};
  beast::error_code ec;
  http::request<http::string_body> req{method, target, 11};
  req.set(http::field::host, "127.0.0.1:" + std::to_string(port));
  for (const auto& [name, value] : headers) req.set(name, value);
  req.body() = body;
  if (!body.empty() || method == http::verb::put || method == http::verb::post) {
    req.prepare_payload();
  }
  http::write(stream, req, ec);
  if (ec) return {};
  beast::flat_buffer buffer;
  http::response_parser<http::string_body> parser;
  parser.body_limit(64 * 1024 * 1024);
  http::read(stream, buffer, parser, ec);
  if (ec) return {};
  HttpReply r;
  r.status = int(parser.get().result_int());
  r.body = parser.get().body();
  r.headers = parser.get().base();
  return r;
}

inline HttpReply httpGet(uint16_t port, const std::string& target, const Headers& headers = {}) {
  return httpRequest(port, http::verb::get, target, {}, headers);
}

inline HttpReply httpPut(uint16_t port, const std::string& target, const std::string& body,
                         const Headers& headers = {}) {
  return httpRequest(port, http::verb::put, target, body, headers);
}

inline HttpReply httpPost(uint16_t port, const std::string& target, const std::string& body,
                          const Headers& headers = {}) {
  return httpRequest(port, http::verb::post, target, body, headers);
}

// Sends `bytes` as they are and reads the answer's status line; 0 when none came.
inline int rawStatus(uint16_t port, const std::string& bytes) {
  asio::io_context ioc;
  beast::tcp_stream stream(ioc);
  if (!connectLocal(stream, port)) return 0;
  beast::error_code ec;
  asio::write(stream, asio::buffer(bytes), ec);  // the server may stop reading early
  beast::flat_buffer buffer;
  http::response_parser<http::string_body> parser;
  http::read(stream, buffer, parser, ec);
  if (ec && !parser.is_header_done()) return 0;
  return int(parser.get().result_int());
}

// The status of a WebSocket upgrade request to `target` (101 when it was taken).
inline int upgradeStatus(uint16_t port, const std::string& target, Headers headers = {}) {
  headers.insert(headers.end(), {{"Connection", "Upgrade"},
                                 {"Upgrade", "websocket"},
                                 {"Sec-WebSocket-Key", "dGhlIHNhbXBsZSBub25jZQ=="},
                                 {"Sec-WebSocket-Version", "13"}});
  asio::io_context ioc;
  beast::tcp_stream stream(ioc);
  if (!connectLocal(stream, port)) return 0;
  beast::error_code ec;
  http::request<http::empty_body> req{http::verb::get, target, 11};
  req.set(http::field::host, "127.0.0.1:" + std::to_string(port));
  for (const auto& [name, value] : headers) req.set(name, value);
  http::write(stream, req, ec);
  beast::flat_buffer buffer;
  http::response_parser<http::string_body> parser;
  parser.skip(true);
  http::read_header(stream, buffer, parser, ec);
  return ec ? 0 : int(parser.get().result_int());
}

class WsClient {
 public:
  // Connects and upgrades; ok() tells whether the server took it.
  WsClient(uint16_t port, const std::string& target = "/api/v1/ws", const Headers& headers = {})
      : ws_(ioc_) {
    beast::error_code ec;
    beast::get_lowest_layer(ws_).connect(
        tcp::endpoint(asio::ip::make_address("127.0.0.1"), port), ec);
    if (ec) return;
    ws_.read_message_max(64 * 1024 * 1024);
    ws_.set_option(websocket::stream_base::decorator([headers](websocket::request_type& r) {
      for (const auto& [name, value] : headers) r.set(name, value);
    }));
    ws_.handshake("127.0.0.1:" + std::to_string(port), target, ec);
    ok_ = !ec;
  }

  bool ok() const { return ok_; }

  void send(const nlohmann::json& message) { sendText(message.dump()); }
  void sendText(const std::string& text) {
    beast::error_code ec;
    ws_.text(true);
    ws_.write(asio::buffer(text), ec);
  }

  // The next message, or nullopt when the connection ended or `timeout` passed.
  std::optional<nlohmann::json> next(std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
    beast::get_lowest_layer(ws_).expires_after(timeout);
    beast::flat_buffer buffer;
    beast::error_code ec;
    ws_.read(buffer, ec);
    if (ec) {
      error_ = ec;
      return std::nullopt;
    }
    return nlohmann::json::parse(beast::buffers_to_string(buffer.data()), nullptr, false);
  }

  // Reads until a message of `type` for which `accept` holds; nullopt when none came.
  template <typename F>
  std::optional<nlohmann::json> until(const std::string& type, F accept,
                                      std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < end) {
      auto m = next(std::chrono::duration_cast<std::chrono::milliseconds>(
          end - std::chrono::steady_clock::now()));
      if (!m) return std::nullopt;
      if (m->value("type", "") == type && accept(*m)) return m;
    }
    return std::nullopt;
  }
  std::optional<nlohmann::json> until(const std::string& type) {
    return until(type, [](const nlohmann::json&) { return true; });
  }

  // Bytes straight onto the connection, past the WebSocket layer.
  void sendRaw(const std::string& bytes) {
    beast::error_code ec;
    asio::write(beast::get_lowest_layer(ws_).socket(), asio::buffer(bytes), ec);
  }
  beast::error_code error() const { return error_; }
  websocket::close_reason closeReason() const { return ws_.reason(); }

 private:
  asio::io_context ioc_;
  websocket::stream<beast::tcp_stream> ws_;
  bool ok_ = false;
  beast::error_code error_;
};

}  // namespace ax7::test
