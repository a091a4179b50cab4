#pragma once
// The JSON type of every document ax7ctl and the server write: members keep their order, so
// "api_version" comes first and scripts can tell a changed schema at once.
#include <nlohmann/json.hpp>
#include <string>

namespace ax7::server {

using Json = nlohmann::ordered_json;

constexpr int kApiVersion = 1;

// {"api_version": 1}, ready for the document's own members.
inline Json apiDocument() {
  Json doc = Json::object();
  doc["api_version"] = kApiVersion;
  return doc;
}

// The text of a document; bytes that are not UTF-8 (a request's path may hold any) become
// U+FFFD instead of ending the program.
inline std::string dumpJson(const Json& doc) {
  return doc.dump(-1, ' ', false, Json::error_handler_t::replace);
}

}  // namespace ax7::server
