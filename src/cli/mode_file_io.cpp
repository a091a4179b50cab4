#include "cli/mode_file_io.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <system_error>
#include <vector>

#include "cli/mode_file_json.h"
#include "params/mode_file.h"

namespace ax7::cli {

namespace {

// JSON of a mode file is about 60 kB; anything far larger is not one.
constexpr size_t kMaxInputBytes = 16 * 1024 * 1024;

bool readAll(const std::string& path, std::vector<uint8_t>* bytes, std::string* error) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) {
    *error = "cannot open '" + path + "': " + std::generic_category().message(errno);
    return false;
  }
  bytes->clear();
  uint8_t buf[65536];
  bool tooLarge = false;
  for (;;) {
    size_t n = std::fread(buf, 1, sizeof buf, f);
    bytes->insert(bytes->end(), buf, buf + n);
    if (bytes->size() > kMaxInputBytes) {
      tooLarge = true;
      break;
    }
    if (n < sizeof buf) break;
  }
  const bool readError = std::ferror(f) != 0;
  const int err = errno;
  std::fclose(f);
  if (readError) {
    *error = "cannot read '" + path + "': " + std::generic_category().message(err);
    return false;
  }
  if (tooLarge) {
    *error = "'" + path + "' is too large for a mode file or its JSON";
    return false;
  }
  return true;
}

bool looksLikeJson(const std::vector<uint8_t>& bytes) {
  for (uint8_t b : bytes) {
    if (b == ' ' || b == '\t' || b == '\r' || b == '\n') continue;
    return b == '{';
  }
  return false;
}

bool endsWithJson(const std::string& path) {
  if (path.size() < 5) return false;
  std::string ext = path.substr(path.size() - 5);
  for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
  return ext == ".json";
}

bool writeAtomically(const std::string& path, const std::string& content, std::string* error) {
  const std::string temp = path + ".tmp";
  {
    std::ofstream f(temp, std::ios::binary | std::ios::trunc);
    if (!f) {
      *error = "cannot write '" + temp + "': " + std::generic_category().message(errno);
      return false;
    }
    f << content;
    f.flush();
    if (!f) {
      *error = "cannot write '" + temp + "'";
      std::remove(temp.c_str());
      return false;
    }
  }
  if (std::rename(temp.c_str(), path.c_str()) != 0) {
    *error = "cannot write '" + path + "': " + std::generic_category().message(errno);
    std::remove(temp.c_str());
    return false;
  }
  return true;
}

}  // namespace

bool loadModeInput(const std::string& path, ParameterMemory& mem, int* version,
                   std::string* error) {
  std::vector<uint8_t> bytes;
  if (!readAll(path, &bytes, error)) return false;
  if (looksLikeJson(bytes)) {
    Json doc = Json::parse(bytes.begin(), bytes.end(), nullptr, false);
    if (doc.is_discarded()) {
      *error = "'" + path + "' is not valid JSON";
      return false;
    }
    if (!modeFileFromJson(doc, mem, version, error)) {
      *error = "'" + path + "': " + *error;
      return false;
    }
    return true;
  }
  ModeFileResult r = LoadModeFileBytes(mem, bytes.data(), bytes.size());
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
    return writeAtomically(path, modeFileToJson(mem, version).dump(2) + "\n", error);
  }
  ModeFileResult r = SaveModeFile(mem, path);
  if (!r.ok) *error = r.error.empty() ? "cannot write '" + path + "'" : r.error;
  return r.ok;
}

}  // namespace ax7::cli
