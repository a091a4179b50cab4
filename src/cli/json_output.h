#pragma once
// JSON and hex helpers shared by the commands that print JSON. Every document ax7ctl prints
// starts with "api_version", so scripts can tell a changed schema at once.
#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "server/json.h"

namespace ax7::cli {

using Json = server::Json;
using server::kApiVersion;

// {"api_version": 1}, ready for the command's own members.
Json jsonDocument();
void writeJson(std::ostream& out, const Json& doc);

// A float as the shortest decimal that reads back as the same float; null when not finite.
Json jsonFloat(float v);

std::string toHex(const uint8_t* data, size_t size);
// Exactly `size` bytes as 2*size hex digits (either case); false otherwise.
bool fromHex(const std::string& text, size_t size, std::vector<uint8_t>* out);

}  // namespace ax7::cli
