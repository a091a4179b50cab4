#include "cli/mode_file_json.h"

#include <array>
#include <bit>
#include <limits>

#include "cli/band_labels.h"
#include "params/band_record.h"
#include "params/room.h"

namespace ax7::cli {

namespace {

constexpr int kTrims = kRoomTrimSize / 4;

Json roomJson(const ParameterMemory& mem) {
  Json room = Json::object();
  room["width"] = mem.room.width();
  room["length"] = mem.room.length();
  room["listener"] = Json::array({jsonFloat(mem.room.coord(2)), jsonFloat(mem.room.coord(3))});
  Json speakers = Json::array();
  for (int k = 0; k < 8; ++k) {
    Json s = Json::object();
    s["name"] = kSpeakerNames[k];
    s["x"] = jsonFloat(mem.room.coord(4 + 2 * k));
    s["y"] = jsonFloat(mem.room.coord(5 + 2 * k));
    speakers.push_back(s);
  }
  room["speakers"] = speakers;
  return room;
}

// Reading helpers: each returns false with a reason naming the member.
bool getNumber(const Json& j, const std::string& what, double* v, std::string* error) {
  if (!j.is_number()) {
    *error = what + " must be a number";
    return false;
  }
  *v = j.get<double>();
  return true;
}

bool getFloat(const Json& j, const std::string& what, float* v, std::string* error) {
  double d = 0;
  if (!getNumber(j, what, &d, error)) return false;
  if (d < -std::numeric_limits<float>::max() || d > std::numeric_limits<float>::max()) {
    *error = what + " is out of range";
    return false;
  }
  *v = float(d);
  return true;
}

bool getWord(const Json& j, const std::string& what, uint32_t* raw, std::string* error) {
  if (j.is_number_unsigned() && j.get<uint64_t>() <= std::numeric_limits<uint32_t>::max()) {
    *raw = uint32_t(j.get<uint64_t>());
    return true;
  }
  if (j.is_number_integer() && j.get<int64_t>() >= std::numeric_limits<int32_t>::min() &&
      j.get<int64_t>() <= std::numeric_limits<uint32_t>::max()) {
    *raw = uint32_t(j.get<int64_t>());
    return true;
  }
  *error = what + " must be a whole number that fits 32 bits";
  return false;
}

bool getHex(const Json& j, const std::string& what, size_t size, std::vector<uint8_t>* out,
            std::string* error) {
  if (!j.is_string() || !fromHex(j.get<std::string>(), size, out)) {
    *error = what + " must be " + std::to_string(size * 2) + " hex digits";
    return false;
  }
  return true;
}

const Json* member(const Json& obj, const char* name) {
  auto it = obj.find(name);
  return it == obj.end() ? nullptr : &*it;
}

bool readPcWord(const Json& j, int n, uint32_t* raw, std::string* error) {
  const std::string what = "pc_words[" + std::to_string(n) + "]";
  if (!j.is_object()) return getWord(j, what, raw, error);
  if (const Json* r = member(j, "raw")) return getWord(*r, what + ".raw", raw, error);
  if (const Json* i = member(j, "int")) return getWord(*i, what + ".int", raw, error);
  if (const Json* f = member(j, "float")) {
    float v = 0;
    if (!getFloat(*f, what + ".float", &v, error)) return false;
    *raw = std::bit_cast<uint32_t>(v);
    return true;
  }
  *error = what + " needs raw, int or float";
  return false;
}

bool readBandRecord(const Json& j, int n, PackedBand* out, std::string* error) {
  const std::string what = "band_records[" + std::to_string(n) + "]";
  std::vector<uint8_t> bytes;
  if (j.is_string() || (j.is_object() && member(j, "raw_hex"))) {
    const Json& hex = j.is_string() ? j : j["raw_hex"];
    if (!getHex(hex, what + ".raw_hex", kBandRecordSize, &bytes, error)) return false;
    std::copy(bytes.begin(), bytes.end(), out->begin());
    return true;
  }
  if (!j.is_object()) {
    *error = what + " must be an object or a hex string";
    return false;
  }
  float fields[3];
  const char* names[] = {"gain_db", "frequency", "q"};
  for (int i = 0; i < 3; ++i) {
    const Json* f = member(j, names[i]);
    if (!f) {
      *error = what + " needs raw_hex or type, gain_db, frequency and q";
      return false;
    }
    if (!getFloat(*f, what + "." + names[i], &fields[i], error)) return false;
  }
  const Json* type = member(j, "type");
  if (!type || !type->is_number_integer() || type->get<int64_t>() < 0 ||
      type->get<int64_t>() > 255) {
    *error = what + ".type must be a whole number 0..255";
    return false;
  }
  *out = PackBandRecord(int(type->get<int64_t>()), fields[0], fields[1], fields[2]);
  return true;
}

bool readRoomTrim(const Json& doc, std::array<uint8_t, kRoomTrimSize>* out, std::string* error) {
  std::vector<uint8_t> bytes;
  if (const Json* hex = member(doc, "room_trim_hex")) {
    if (!getHex(*hex, "room_trim_hex", kRoomTrimSize, &bytes, error)) return false;
    std::copy(bytes.begin(), bytes.end(), out->begin());
    return true;
  }
  const Json* trims = member(doc, "room_trims_db");
  if (!trims || !trims->is_array() || trims->size() != kTrims) {
    *error = "room_trim_hex or room_trims_db (8 numbers) is required";
    return false;
  }
  ParameterMemory scratch;
  for (int ch = 0; ch < kTrims; ++ch) {
    float db = 0;
    if (!getFloat((*trims)[size_t(ch)], "room_trims_db[" + std::to_string(ch) + "]", &db, error)) {
      return false;
    }
    PutRoomTrimDb(scratch, ch, db);
  }
  *out = scratch.roomTrim.snapshot();
  return true;
}

bool readCoordinate(const Json& j, const std::string& what, ParameterMemory& scratch, int index,
                    std::string* error) {
  float v = 0;
  if (!getFloat(j, what, &v, error)) return false;
  scratch.room.setCoord(index, v);
  return true;
}

bool readRoomBlock(const Json& doc, std::array<uint8_t, kRoomBlockSize>* out, std::string* error) {
  std::vector<uint8_t> bytes;
  if (const Json* hex = member(doc, "room_block_hex")) {
    if (!getHex(*hex, "room_block_hex", kRoomBlockSize, &bytes, error)) return false;
    std::copy(bytes.begin(), bytes.end(), out->begin());
    return true;
  }
  const Json* room = member(doc, "room");
  const Json* listener = room && room->is_object() ? member(*room, "listener") : nullptr;
  const Json* speakers = room && room->is_object() ? member(*room, "speakers") : nullptr;
  if (!listener || !listener->is_array() || listener->size() != 2 || !speakers ||
      !speakers->is_array() || speakers->size() != 8 || !member(*room, "width") ||
      !member(*room, "length")) {
    *error = "room_block_hex or room (width, length, listener [x, y], 8 speakers) is required";
    return false;
  }
  ParameterMemory scratch;
  double width = 0;
  double length = 0;
  if (!getNumber((*room)["width"], "room.width", &width, error) ||
      !getNumber((*room)["length"], "room.length", &length, error)) {
    return false;
  }
  if (width < 0 || width > 255 || length < 0 || length > 255) {
    *error = "room width and length must be whole metres 0..255";
    return false;
  }
  scratch.room.setWidth(int(width));
  scratch.room.setLength(int(length));
  if (!readCoordinate((*listener)[0], "room.listener[0]", scratch, 2, error) ||
      !readCoordinate((*listener)[1], "room.listener[1]", scratch, 3, error)) {
    return false;
  }
  for (int k = 0; k < 8; ++k) {
    const Json& s = (*speakers)[size_t(k)];
    const std::string what = "room.speakers[" + std::to_string(k) + "]";
    if (!s.is_object() || !member(s, "x") || !member(s, "y")) {
      *error = what + " needs x and y";
      return false;
    }
    if (!readCoordinate(s["x"], what + ".x", scratch, 4 + 2 * k, error) ||
        !readCoordinate(s["y"], what + ".y", scratch, 5 + 2 * k, error)) {
      return false;
    }
  }
  *out = EncodeRoomBlock(scratch);
  return true;
}

}  // namespace

Json pcWordJson(uint32_t raw) {
  Json w = Json::object();
  w["raw"] = raw;
  w["int"] = int32_t(raw);
  w["float"] = jsonFloat(std::bit_cast<float>(raw));
  return w;
}

Json bandRecordJson(const ParameterMemory& mem, int record) {
  PackedBand bytes;
  mem.boxImage.copyOut(size_t(record) * kBandRecordSize, bytes.data(), bytes.size());
  const BandRecord r = UnpackBandRecord(bytes.data());
  const BandLabel label = bandLabel(record);
  Json j = Json::object();
  j["index"] = record;
  j["eq"] = label.name;
  j["eq_set"] = label.eqSet >= 0 ? Json(label.eqSet) : Json(nullptr);
  j["band"] = label.band;
  j["type"] = r.type;
  j["gain_db"] = jsonFloat(r.gainDb);
  j["frequency"] = jsonFloat(r.frequency);
  j["q"] = jsonFloat(r.q);
  j["raw_hex"] = toHex(bytes.data(), bytes.size());
  return j;
}

Json modeFileToJson(const ParameterMemory& mem, int version) {
  Json doc = jsonDocument();
  doc["version"] = version;
  Json words = Json::array();
  for (int n = 0; n < kPcWords; ++n) words.push_back(pcWordJson(mem.pc.raw(size_t(n))));
  doc["pc_words"] = words;
  Json records = Json::array();
  for (int r = 0; r < kBandRecords; ++r) records.push_back(bandRecordJson(mem, r));
  doc["band_records"] = records;
  Json trims = Json::array();
  for (int ch = 0; ch < kTrims; ++ch) trims.push_back(jsonFloat(RoomTrimDb(mem, ch)));
  doc["room_trims_db"] = trims;
  const auto trimBytes = mem.roomTrim.snapshot();
  doc["room_trim_hex"] = toHex(trimBytes.data(), trimBytes.size());
  doc["room"] = roomJson(mem);
  const auto roomBytes = mem.roomBlock.snapshot();
  doc["room_block_hex"] = toHex(roomBytes.data(), roomBytes.size());
  return doc;
}

bool modeFileFromJson(const Json& doc, ParameterMemory& mem, int* version, std::string* error) {
  if (!doc.is_object()) {
    *error = "not a JSON object";
    return false;
  }
  if (const Json* api = member(doc, "api_version"); api && *api != kApiVersion) {
    // Only a number is quoted back: anything else could be megabytes long.
    *error = api->is_number() ? "api_version " + api->dump() + " is not supported (expected 1)"
                              : std::string("api_version must be the number 1");
    return false;
  }
  int fileVersion = 5;
  if (const Json* v = member(doc, "version")) {
    if (!v->is_number_integer() || v->get<int64_t>() < 1 || v->get<int64_t>() > 5) {
      *error = "version must be 1..5";
      return false;
    }
    fileVersion = int(v->get<int64_t>());
  }
  const Json* words = member(doc, "pc_words");
  if (!words || !words->is_array() || words->size() != kPcWords) {
    *error = "pc_words must be an array of 207 words";
    return false;
  }
  std::array<uint32_t, kPcWords> pc{};
  for (int n = 0; n < kPcWords; ++n) {
    if (!readPcWord((*words)[size_t(n)], n, &pc[size_t(n)], error)) return false;
  }
  const Json* records = member(doc, "band_records");
  if (!records || !records->is_array() || records->size() != kBandRecords) {
    *error = "band_records must be an array of 178 records";
    return false;
  }
  std::array<PackedBand, kBandRecords> bands{};
  for (int r = 0; r < kBandRecords; ++r) {
    if (!readBandRecord((*records)[size_t(r)], r, &bands[size_t(r)], error)) return false;
  }
  std::array<uint8_t, kRoomTrimSize> trim{};
  std::array<uint8_t, kRoomBlockSize> room{};
  if (!readRoomTrim(doc, &trim, error) || !readRoomBlock(doc, &room, error)) return false;

  // Accepted as a whole: now memory changes.
  for (int n = 0; n < kPcWords; ++n) mem.pc.setRaw(size_t(n), pc[size_t(n)]);
  for (int r = 0; r < kBandRecords; ++r) {
    mem.boxImage.copyIn(size_t(r) * kBandRecordSize, bands[size_t(r)].data(), kBandRecordSize);
  }
  mem.roomTrim.copyIn(0, trim.data(), trim.size());
  mem.roomBlock.copyIn(0, room.data(), room.size());
  DecodeRoomBlock(mem);
  *version = fileVersion;
  return true;
}

}  // namespace ax7::cli
