#pragma once
// The JSON type of every document ax7ctl and the server write: members keep their order, so
// "api_version" comes first and scripts can tell a changed schema at once.
#include <nlohmann/json.hpp>

namespace ax7::server {

using Json = nlohmann::ordered_json;

constexpr int kApiVersion = 1;

// {"api_version": 1}, ready for the document's own members.
inline Json apiDocument() {
  Json doc = Json::object();
  doc["api_version"] = kApiVersion;
  return doc;
}

}  // namespace ax7::server
