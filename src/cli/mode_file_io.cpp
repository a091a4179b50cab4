#include "cli/mode_file_io.h"

#include <string_view>
#include <vector>

#include "cli/mode_file_json.h"
#include "params/atomic_save.h"
#include "params/file_read.h"
#include "params/mode_file.h"

namespace ax7::cli {

namespace {

// JSON of a mode file is about 60 kB; anything far larger is not one.
constexpr size_t kMaxInputBytes = 16 * 1024 * 1024;
// A mode file's JSON nests four levels deep (document, room, speakers, one speaker); the
// parser and everything that walks the document recurse per level, so a document nested
// thousands deep would overflow the stack. Refused before it is parsed.
constexpr int kMaxJsonDepth = 16;

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool readAll(const std::string& path, std::vector<uint8_t>* bytes, std::string* error) {
  InputFile in = ReadInputFile(path, kMaxInputBytes);
  if (!in.ok) {
    *error = "cannot read '" + path + "': " + in.reason;
    return false;
  }
  if (in.truncated) {
    *error = "'" + path + "' is too large for a mode file or its JSON";
    return false;
  }
  *bytes = std::move(in.bytes);
  return true;
}

// Where the content starts after a UTF-8 byte order mark (editors on Windows add one).
size_t contentStart(const std::vector<uint8_t>& bytes) {
  const std::string_view head(reinterpret_cast<const char*>(bytes.data()),
                              std::min(bytes.size(), kUtf8Bom.size()));
  return head == kUtf8Bom ? kUtf8Bom.size() : 0;
}

// JSON is told by its first character: a mode file starts with its version word, whose first
// byte is 1..5 and never '{' or '['.
bool looksLikeJson(const std::vector<uint8_t>& bytes) {
  for (size_t i = contentStart(bytes); i < bytes.size(); ++i) {
    const uint8_t b = bytes[i];
    if (b == ' ' || b == '\t' || b == '\r' || b == '\n') continue;
    return b == '{' || b == '[';
  }
  return false;
}

// True when no array or object is nested deeper than `limit`; strings are skipped, so
// brackets inside them do not count.
bool nestingWithin(const std::vector<uint8_t>& bytes, int limit) {
  int depth = 0;
  bool inString = false;
  bool escaped = false;
  for (uint8_t b : bytes) {
    if (inString) {
      if (escaped) {
        escaped = false;
      } else if (b == '\\') {
        escaped = true;
      } else if (b == '"') {
        inString = false;
      }
      continue;
    }
    if (b == '"') {
      inString = true;
    } else if (b == '[' || b == '{') {
      if (++depth > limit) return false;
    } else if (b == ']' || b == '}') {
      --depth;
    }
  }
  return true;
}

// A mode file's version word is 1..5: its first bytes are never all printable characters.
bool startsWithText(const std::vector<uint8_t>& bytes) {
  if (bytes.size() < 4) return false;
  for (size_t i = 0; i < 4; ++i) {
    const uint8_t b = bytes[i];
    if (!(b >= 0x20 && b < 0x7F) && b != '\t' && b != '\r' && b != '\n') return false;
  }
  return true;
}

const char* jsonKind(const Json& doc) {
  if (doc.is_array()) return "a list";
  if (doc.is_string()) return "a string";
  if (doc.is_number()) return "a number";
  if (doc.is_boolean()) return "true or false";
  return "null";
}

bool endsWithJson(const std::string& path) {
  if (path.size() < 5) return false;
  std::string ext = path.substr(path.size() - 5);
  for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
  return ext == ".json";
}

}  // namespace

bool loadModeInput(const std::string& path, ParameterMemory& mem, int* version,
                   std::string* error) {
  std::vector<uint8_t> bytes;
  if (!readAll(path, &bytes, error)) return false;
  return loadModeBytes(bytes, path, mem, version, error);
}

bool loadModeBytes(const std::vector<uint8_t>& bytes, const std::string& path,
                   ParameterMemory& mem, int* version, std::string* error) {
  if (looksLikeJson(bytes)) {
    if (!nestingWithin(bytes, kMaxJsonDepth)) {
      *error = "'" + path + "' is JSON nested more than " + std::to_string(kMaxJsonDepth) +
               " levels deep, which no mode file's JSON is";
      return false;
    }
    // The parser skips a byte order mark itself.
    Json doc = Json::parse(bytes.begin(), bytes.end(), nullptr, false);
    if (doc.is_discarded()) {
      *error = "'" + path + "' is not valid JSON";
      return false;
    }
    if (!doc.is_object()) {
      *error = "'" + path + "' is JSON of the wrong shape: " + jsonKind(doc) +
               " where a mode file's JSON has an object {\"api_version\": 1, ...}";
      return false;
    }
    if (!modeFileFromJson(doc, mem, version, error)) {
      *error = "'" + path + "': " + *error;
      return false;
    }
    return true;
  }
  const size_t start = contentStart(bytes);
  if (start > 0) {
    *error = "'" + path + "' is text (it starts with a UTF-8 byte order mark) but no JSON";
    return false;
  }
  ModeFileResult r = LoadModeFileBytes(mem, bytes.data(), bytes.size());
  if (!r.ok && startsWithText(bytes)) {
    *error = "'" + path + "' is neither a mode file nor JSON (it starts with text)";
    return false;
  }
  if (!r.ok) {
    *error = "'" + path + "': " + r.error;
    return false;
  }
  *version = r.version;
  return true;
}

bool writeModeOutput(const std::string& path, const ParameterMemory& mem, int version,
                     std::string* error) {
  if (endsWithJson(path)) {
    const std::string text = modeFileToJson(mem, version).dump(2) + "\n";
    const SaveOutcome saved =
        SaveFileAtomically(path, reinterpret_cast<const uint8_t*>(text.data()), text.size());
    if (!saved.ok) *error = "cannot write '" + path + "': " + saved.reason;
    return saved.ok;
  }
  ModeFileResult r = SaveModeFile(mem, path);
  if (!r.ok) *error = r.error.empty() ? "cannot write '" + path + "'" : r.error;
  return r.ok;
}

}  // namespace ax7::cli
