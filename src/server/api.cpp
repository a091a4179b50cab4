#include "server/api.h"

#include <optional>

#include "eqx/eq_set.h"
#include "server/remote_page.h"
#include "server/state_json.h"

namespace ax7::server {

namespace {

constexpr std::string_view kApi = "/api/v1/";
constexpr int kModes = 4;

HttpAnswer jsonAnswer(int status, const Json& doc) {
  HttpAnswer a;
  a.status = status;
  a.body = dumpJson(doc);
  return a;
}

HttpAnswer error(int status, const std::string& text) {
  Json doc = apiDocument();
  doc["error"] = text;
  return jsonAnswer(status, doc);
}

HttpAnswer outcomeAnswer(const Outcome& o) {
  Json doc = apiDocument();
  doc.update(o.body);
  return jsonAnswer(o.status, doc);
}

// A JSON object from a request body; false with the reason when it is none.
bool parseObject(std::string_view body, Json* out, std::string* why,
                 const char* what = "the body") {
  *out = Json::parse(body.begin(), body.end(), nullptr, false);
  if (out->is_discarded()) {
    *why = std::string(what) + " is not valid JSON";
    return false;
  }
  if (!out->is_object()) {
    *why = std::string(what) + " must be a JSON object";
    return false;
  }
  return true;
}

// {"NAME": value} as the names' checks take them. Numbers, true/false and text are values;
// anything else is refused by name.
bool valuePairs(const Json& object, std::vector<std::pair<std::string, InputValue>>* pairs,
                std::string* why) {
  // More values than there are names can only fail; refused before any is looked at.
  if (object.size() > ParamNames().size()) {
    *why = std::to_string(object.size()) + " values in one request, but there are only " +
           std::to_string(ParamNames().size()) + " names";
    return false;
  }
  for (const auto& [name, value] : object.items()) {
    if (value.is_number()) {
      pairs->emplace_back(name, InputValue(value.get<double>()));
    } else if (value.is_boolean()) {
      pairs->emplace_back(name, InputValue(value.get<bool>()));
    } else if (value.is_string()) {
      pairs->emplace_back(name, InputValue(value.get<std::string>()));
    } else {
      *why = name + ": a number, true, false or text expected, not " + value.type_name();
      return false;
    }
  }
  return true;
}

HttpAnswer putValues(BoxControl& box, std::string_view body) {
  Json doc;
  std::string why;
  std::vector<std::pair<std::string, InputValue>> pairs;
  if (!parseObject(body, &doc, &why) || !valuePairs(doc, &pairs, &why)) {
    return error(400, why + "; nothing applied");
  }
  if (pairs.empty()) return error(400, "no values given; nothing applied");
  Outcome o = box.setValues(pairs);
  if (!o.ok() && o.body.contains("error")) {
    o.body["error"] = o.body["error"].get<std::string>() + "; nothing applied";
  }
  return outcomeAnswer(o);
}

HttpAnswer modeRequest(BoxControl& box, std::string_view body, bool save) {
  Json doc;
  std::string why;
  if (!parseObject(body, &doc, &why)) return error(400, why);
  const auto it = doc.find("mode");
  if (it == doc.end() || !it->is_number_integer() || it->get<int64_t>() < 1 ||
      it->get<int64_t>() > kModes) {
    return error(400, "{\"mode\": 1..4} expected");
  }
  const int mode = int(it->get<int64_t>());
  return outcomeAnswer(save ? box.saveMode(mode) : box.recallMode(mode));
}

HttpAnswer modeFileRequest(BoxControl& box, std::string_view method, std::string_view body) {
  if (method == "GET") {
    std::vector<uint8_t> bytes;
    const Outcome o = box.modeFile(&bytes);
    if (!o.ok()) return outcomeAnswer(o);
    HttpAnswer a;
    a.contentType = "application/octet-stream";
    a.body.assign(bytes.begin(), bytes.end());
    a.headers.emplace_back("Content-Disposition", "attachment; filename=\"box.px44t\"");
    return a;
  }
  const std::vector<uint8_t> bytes(body.begin(), body.end());
  return outcomeAnswer(box.writeModeFile(bytes));
}

HttpAnswer eqRequest(BoxControl& box, std::string_view method, std::string_view target,
                     std::string_view setName, std::string_view body) {
  // The set names of ax7ctl eq (mic-a) and of the values (mic_a) both work.
  std::string name(setName);
  for (char& c : name) {
    if (c == '_') c = '-';
  }
  const auto set = eqx::parseSetName(name);
  if (!set) return error(404, "no EQ set '" + std::string(setName) + "'");
  const bool import = method == "POST";
  const std::string formatText = QueryValue(target, "format");
  std::optional<eqx::Format> format = import ? eqx::Format::Auto : eqx::Format::Apo;
  if (!formatText.empty()) format = eqx::parseFormatName(formatText);
  if (!format || (!import && *format == eqx::Format::Auto)) {
    return error(400, std::string("format must be ") + (import ? "auto, " : "") +
                          "apo, rew, camilladsp, biquad or json");
  }
  if (import) return outcomeAnswer(box.importEq(*set, std::string(body), *format));
  std::string text;
  const Outcome o = box.exportEq(*set, *format, &text);
  if (!o.ok()) return outcomeAnswer(o);
  HttpAnswer a;
  a.contentType = *format == eqx::Format::Json ? "application/json" : "text/plain; charset=utf-8";
  a.body = std::move(text);
  return a;
}

HttpAnswer page() {
  HttpAnswer a;
  a.contentType = "text/html; charset=utf-8";
  a.body.assign(RemotePage());
  a.headers.emplace_back("Cache-Control", "no-cache");
  return a;
}

}  // namespace

std::string_view TargetPath(std::string_view target) {
  return target.substr(0, target.find('?'));
}

std::string QueryValue(std::string_view target, std::string_view key) {
  const size_t q = target.find('?');
  if (q == std::string_view::npos) return {};
  std::string_view query = target.substr(q + 1);
  while (!query.empty()) {
    const size_t amp = query.find('&');
    const std::string_view pair = query.substr(0, amp);
    const size_t eq = pair.find('=');
    if (pair.substr(0, eq) == key) {
      return eq == std::string_view::npos ? std::string() : std::string(pair.substr(eq + 1));
    }
    if (amp == std::string_view::npos) break;
    query.remove_prefix(amp + 1);
  }
  return {};
}

size_t BodyLimit(std::string_view target) {
  return TargetPath(target) == "/api/v1/modefile" ? kMaxModeFileBytes : kMaxBodyBytes;
}

HttpAnswer HandleRequest(BoxControl& box, std::string_view method, std::string_view target,
                         std::string_view body) {
  const std::string_view path = TargetPath(target);
  auto allow = [&](std::initializer_list<std::string_view> methods) {
    for (std::string_view m : methods) {
      if (method == m) return true;
    }
    return false;
  };
  auto notAllowed = [&](const char* allowed) {
    HttpAnswer a = error(405, std::string(method) + " is not allowed here");
    a.headers.emplace_back("Allow", allowed);
    return a;
  };

  if (path == "/" || path == "/index.html") {
    return allow({"GET"}) ? page() : notAllowed("GET");
  }
  if (path.substr(0, kApi.size()) != kApi) return error(404, "not found");
  const std::string_view rest = path.substr(kApi.size());
  if (rest == "params") {
    return allow({"GET"}) ? jsonAnswer(200, paramsDocument()) : notAllowed("GET");
  }
  if (rest == "state") {
    if (!allow({"GET"})) return notAllowed("GET");
    Json doc = apiDocument();
    Json state = StateMessage(box);
    state.erase("type");
    doc.update(state);
    return jsonAnswer(200, doc);
  }
  if (rest == "values") return allow({"PUT"}) ? putValues(box, body) : notAllowed("PUT");
  if (rest == "mode/recall" || rest == "mode/save") {
    return allow({"POST"}) ? modeRequest(box, body, rest == "mode/save") : notAllowed("POST");
  }
  if (rest == "modefile") {
    return allow({"GET", "PUT"}) ? modeFileRequest(box, method, body) : notAllowed("GET, PUT");
  }
  if (rest.substr(0, 3) == "eq/" && rest.size() > 3 && rest.find('/', 3) == rest.npos) {
    return allow({"GET", "POST"}) ? eqRequest(box, method, target, rest.substr(3), body)
                                  : notAllowed("GET, POST");
  }
  if (path == kWebSocketPath) return error(426, "a WebSocket upgrade is expected here");
  return error(404, "not found");
}

Json StateMessage(BoxControl& box) {
  Json m = Json::object();
  m["type"] = "state";
  const bool connected = box.connected();
  m["connected"] = connected;
  m["mode"] = box.mode();
  m["values"] = connected ? box.values() : Json::object();
  m["status"] = connected ? box.status() : Json(nullptr);
  return m;
}

Json HandleClientMessage(BoxControl& box, std::string_view text) {
  auto problem = [](const std::string& why) {
    Json m = Json::object();
    m["type"] = "error";
    m["error"] = why;
    return m;
  };
  Json doc;
  std::string why;
  if (!parseObject(text, &doc, &why, "the message")) return problem(why);
  const auto type = doc.find("type");
  if (type == doc.end() || !type->is_string()) return problem("\"type\" expected");
  if (*type == "set") {
    const auto values = doc.find("values");
    if (values == doc.end() || !values->is_object()) {
      return problem("{\"type\": \"set\", \"values\": {...}} expected");
    }
    std::vector<std::pair<std::string, InputValue>> pairs;
    if (!valuePairs(*values, &pairs, &why)) return problem(why + "; nothing applied");
    const Outcome o = box.setValues(pairs);
    if (!o.ok()) return problem(o.body.value("error", "refused") + "; nothing applied");
    Json m = Json::object();
    m["type"] = "applied";
    m["values"] = o.body.value("applied", Json::object());
    return m;
  }
  return problem("unknown message type");
}

}  // namespace ax7::server
