// ax7ctl's mode input (a mode file of any version or its JSON): no byte sequence may crash it
// or recurse without bound, every refusal carries one line and leaves memory untouched, and
// what is accepted, written back as JSON, reads back to the same memory.
//
// Two ways in, chosen by the first byte. Whole: the rest is the file, as a user would give it.
// Part: the rest is the JSON of one member (a PC word, a band record, the room trims, the room,
// the version, ...) put into an otherwise valid document; the part written back from memory
// goes into the same place and must load to the same bytes. A whole document's JSON is 50 KB;
// parts keep the inputs small and every execution cheap, and still reach each member's reader
// and writer.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "cli/json_output.h"
#include "cli/mode_file_io.h"
#include "cli/mode_file_json.h"
#include "params/defaults.h"
#include "params/mode_file.h"

namespace {

using ax7::cli::Json;

std::unique_ptr<ax7::ParameterMemory> defaultMemory() {
  auto m = std::make_unique<ax7::ParameterMemory>();
  ax7::InitParameterMemory(*m);
  return m;
}

const std::vector<uint8_t>& defaultBytes() {
  static const std::vector<uint8_t> bytes = ax7::ModeFileBytes(*defaultMemory());
  return bytes;
}

// The defaults in their shortest accepted form: raw words and record bytes.
const Json& baseDocument() {
  static const Json doc = [] {
    const auto mem = defaultMemory();
    Json d = Json::object();
    d["version"] = 5;
    Json words = Json::array();
    for (int n = 0; n < ax7::kPcWords; ++n) words.push_back(mem->pc.raw(size_t(n)));
    d["pc_words"] = words;
    Json records = Json::array();
    for (int r = 0; r < ax7::kBandRecords; ++r)
      records.push_back(ax7::cli::bandRecordJson(*mem, r)["raw_hex"]);
    d["band_records"] = records;
    const Json full = ax7::cli::modeFileToJson(*mem, 5);
    d["room_trim_hex"] = full["room_trim_hex"];
    d["room_block_hex"] = full["room_block_hex"];
    return d;
  }();
  return doc;
}

// Where a part goes: the version, a PC word, a band record, or one of the room members (the
// decoded forms replace their hex, which the reader would otherwise prefer).
enum Slot : int {
  kVersion = 0,
  kFirstWord = 1,
  kFirstRecord = kFirstWord + ax7::kPcWords,
  kTrimsDb = kFirstRecord + ax7::kBandRecords,
  kTrimHex,
  kRoom,
  kRoomHex,
  kApiVersion,
  kSlots
};

Json withPart(int slot, Json part) {
  Json doc = baseDocument();
  if (slot == kVersion) {
    doc["version"] = std::move(part);
  } else if (slot < kFirstRecord) {
    doc["pc_words"][size_t(slot - kFirstWord)] = std::move(part);
  } else if (slot < kTrimsDb) {
    doc["band_records"][size_t(slot - kFirstRecord)] = std::move(part);
  } else if (slot == kTrimsDb) {
    doc.erase("room_trim_hex");
    doc["room_trims_db"] = std::move(part);
  } else if (slot == kTrimHex) {
    doc["room_trim_hex"] = std::move(part);
  } else if (slot == kRoom) {
    doc.erase("room_block_hex");
    doc["room"] = std::move(part);
  } else if (slot == kRoomHex) {
    doc["room_block_hex"] = std::move(part);
  } else {
    doc["api_version"] = std::move(part);
  }
  return doc;
}

// Where the writer's form of a part goes back: the room's members in their hex, which the
// reader prefers and which is the source of truth (the decoded views are for reading).
int writtenSlot(int slot) {
  if (slot == kTrimsDb) return kTrimHex;
  if (slot == kRoom) return kRoomHex;
  return slot;
}

// The part as the writer puts it in a document of what memory holds.
Json writtenPart(int slot, const ax7::ParameterMemory& mem, int version) {
  if (slot == kVersion) return version;
  if (slot < kFirstRecord) return ax7::cli::pcWordJson(mem.pc.raw(size_t(slot - kFirstWord)));
  if (slot < kTrimsDb) return ax7::cli::bandRecordJson(mem, slot - kFirstRecord);
  if (slot == kApiVersion) return 1;
  const Json doc = ax7::cli::modeFileToJson(mem, version);
  // The decoded views must at least be written, as show --json prints them.
  if (doc["room_trims_db"].size() != 8 || !doc["room"].is_object()) std::abort();
  return doc[slot == kTrimHex ? "room_trim_hex" : "room_block_hex"];
}

bool load(const Json& doc, ax7::ParameterMemory& mem, int* version, std::string* error) {
  const bool ok = ax7::cli::modeFileFromJson(doc, mem, version, error);
  if (ok != error->empty() || error->find('\n') != std::string::npos) std::abort();
  if (!ok && ax7::ModeFileBytes(mem) != defaultBytes()) std::abort();  // untouched
  return ok;
}

void wholeFile(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> bytes(data, data + size);
  const auto mem = defaultMemory();
  int version = 0;
  std::string error;
  const bool ok = ax7::cli::loadModeBytes(bytes, "fuzz", *mem, &version, &error);
  if (ok != error.empty() || error.find('\n') != std::string::npos) std::abort();
  if (!ok && ax7::ModeFileBytes(*mem) != defaultBytes()) std::abort();
  if (ok && (version < 1 || version > 5)) std::abort();
}

void onePart(const uint8_t* data, size_t size) {
  if (size < 2) return;
  const int slot = (int(data[0]) << 8 | data[1]) % kSlots;
  Json part = Json::parse(data + 2, data + size, nullptr, false);
  if (part.is_discarded()) return;

  const auto mem = defaultMemory();
  int version = 0;
  std::string error;
  if (!load(withPart(slot, std::move(part)), *mem, &version, &error)) return;
  if (version < 1 || version > 5) std::abort();

  // Through text, as a file would carry it.
  const int back = writtenSlot(slot);
  const std::string text = writtenPart(back, *mem, version).dump();
  const auto again = defaultMemory();
  int againVersion = 0;
  if (!load(withPart(back, Json::parse(text)), *again, &againVersion, &error)) std::abort();
  if (againVersion != version || ax7::ModeFileBytes(*again) != ax7::ModeFileBytes(*mem))
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  if (data[0] & 1)
    onePart(data + 1, size - 1);
  else
    wholeFile(data + 1, size - 1);
  return 0;
}
