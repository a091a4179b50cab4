#pragma once
// The requests of the HTTP API and the messages of its WebSocket, as plain functions of the
// request's parts: the server calls them after its own checks (size, token, origin), tests and
// fuzz targets call them directly.
//
//   GET  /api/v1/params           the names table
//   GET  /api/v1/state            every value, the mode, connected, the live status
//   PUT  /api/v1/values           {"NAME": value, ...}: all checked, then applied
//   POST /api/v1/mode/recall      {"mode": 1..4}
//   POST /api/v1/mode/save        {"mode": 1..4}
//   GET  /api/v1/modefile         the box's settings as a mode file
//   PUT  /api/v1/modefile         a mode file: only what differs is written
//   GET  /api/v1/eq/SET?format=F  an EQ set as apo, rew, camilladsp, biquad or json
//   POST /api/v1/eq/SET?format=F  imports a file into an EQ set (F may be auto)
//   GET  /api/v1/ws               the WebSocket (upgraded by the server)
//   GET  /                        the remote page
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "server/box_control.h"
#include "server/json.h"

namespace ax7::server {

constexpr std::string_view kWebSocketPath = "/api/v1/ws";
constexpr size_t kMaxBodyBytes = 1024 * 1024;    // any request
constexpr size_t kMaxModeFileBytes = 64 * 1024;  // a mode file upload

struct HttpAnswer {
  int status = 200;
  std::string contentType = "application/json";
  std::string body;
  std::vector<std::pair<std::string, std::string>> headers;  // besides Content-Type
};

// The path of a request target, without its query.
std::string_view TargetPath(std::string_view target);
// The value of `key` in the target's query ("" when absent); no percent-decoding, since no
// value the API takes needs it.
std::string QueryValue(std::string_view target, std::string_view key);
// The largest body the request may carry.
size_t BodyLimit(std::string_view target);

// Answers one request; nothing outside the API and the embedded page is served.
HttpAnswer HandleRequest(BoxControl& box, std::string_view method, std::string_view target,
                         std::string_view body);

// The whole state as the WebSocket sends it first: {"type": "state", "connected", "mode",
// "values", "status"}.
Json StateMessage(BoxControl& box);
// One message from a WebSocket client; the answer to send back to it (null: none).
// {"type": "set", "values": {...}} answers {"type": "applied", "values": {...}} or
// {"type": "error", "error": "..."}.
Json HandleClientMessage(BoxControl& box, std::string_view text);

}  // namespace ax7::server
