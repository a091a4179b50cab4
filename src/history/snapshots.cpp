#include "history/snapshots.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "params/atomic_save.h"

namespace fs = std::filesystem;

namespace ax7::history {
namespace {

struct ReasonNames {
  const char* key;
  const char* english;
  const char* chinese;
};
// Indexed by SnapshotReason.
constexpr std::array<ReasonNames, 9> kReasons = {{
    {"load-file", "Load mode file", "载入模式文件"},
    {"recall-mode", "Recall box mode", "调用机器模式"},
    {"reset-mode", "Reset box mode", "复位机器模式"},
    {"machine-reset", "Machine reset", "机器恢复出厂设置"},
    {"eq-reset", "EQ reset", "均衡复位"},
    {"eq-import", "EQ import", "导入均衡"},
    {"ab-switch", "A/B switch", "A/B 切换"},
    {"restore", "Restore from history", "从历史恢复"},
    {"write-changed", "Write changes to the box", "写入改动到机器"},
}};

constexpr const char* kExtension = ".px44t";
// Names tried one millisecond apart before a save gives up (a folder full of one time's names).
constexpr int64_t kNameAttempts = 1000;
// "2026-12-10T23-45-12.345_" : the fixed-width time part of a snapshot's name.
constexpr size_t kTimeChars = 23;

std::string timePart(int64_t unixMs) {
  const int64_t ms = ((unixMs % 1000) + 1000) % 1000;
  // Rounded down, without the subtraction that overflows at the far end of the range.
  const std::time_t seconds = std::time_t(unixMs / 1000 - (unixMs % 1000 < 0 ? 1 : 0));
  std::tm tm{};
  gmtime_r(&seconds, &tm);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d-%02d-%02d.%03d", tm.tm_year + 1900,
                tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, int(ms));
  return buf;
}

bool parseName(const std::string& name, Snapshot& s) {
  const size_t ext = std::char_traits<char>::length(kExtension);
  if (name.size() <= kTimeChars + 1 + ext || name[kTimeChars] != '_' ||
      name.compare(name.size() - ext, ext, kExtension) != 0) {
    return false;
  }
  int y, mo, d, h, mi, sec, ms;
  char tail;
  if (std::sscanf(name.c_str(), "%4d-%2d-%2dT%2d-%2d-%2d.%3d%c", &y, &mo, &d, &h, &mi, &sec, &ms,
                  &tail) != 8 ||
      tail != '_') {
    return false;
  }
  const std::string key = name.substr(kTimeChars + 1, name.size() - kTimeChars - 1 - ext);
  const auto it = std::find_if(kReasons.begin(), kReasons.end(),
                               [&](const ReasonNames& r) { return key == r.key; });
  if (it == kReasons.end()) return false;
  std::tm tm{};
  tm.tm_year = y - 1900;
  tm.tm_mon = mo - 1;
  tm.tm_mday = d;
  tm.tm_hour = h;
  tm.tm_min = mi;
  tm.tm_sec = sec;
  s.unixMs = int64_t(timegm(&tm)) * 1000 + ms;
  s.reason = SnapshotReason(it - kReasons.begin());
  // Only names this store writes count: anything else in the folder is the user's own.
  return timePart(s.unixMs) == name.substr(0, kTimeChars);
}

void setError(std::string* error, std::string text) {
  if (error) *error = std::move(text);
}

}  // namespace

bool ParseSnapshotName(const std::string& fileName, Snapshot& out) {
  Snapshot s;
  if (!parseName(fileName, s)) return false;
  out = s;
  return true;
}

std::string SnapshotName(int64_t unixMs, SnapshotReason reason) {
  return timePart(unixMs) + "_" + ReasonKey(reason) + kExtension;
}

const char* ReasonKey(SnapshotReason r) {
  return kReasons[size_t(r)].key;
}

std::string ReasonText(SnapshotReason r, DiffLanguage language) {
  const ReasonNames& n = kReasons[size_t(r)];
  return language == DiffLanguage::Chinese ? n.chinese : n.english;
}

std::string DefaultSnapshotDir() {
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg && xdg[0] == '/') return std::string(xdg) + "/ax7-control/snapshots";
  const char* home = std::getenv("HOME");
  return std::string(home && home[0] ? home : ".") + "/.local/share/ax7-control/snapshots";
}

SnapshotStore::SnapshotStore(std::string dir) : dir_(std::move(dir)) {}

bool SnapshotStore::save(const SettingsImage& image, SnapshotReason reason, int64_t unixMs,
                         std::string* error) {
  std::error_code ec;
  fs::create_directories(dir_, ec);
  if (ec || !fs::is_directory(dir_)) {
    setError(error, "Can't make the snapshot folder '" + dir_ + "': " +
                        (ec ? ec.message() : std::string("not a folder")));
    return false;
  }
  // Two snapshots in the same millisecond keep both, also from two programs at once: the name
  // is only ever created, never replaced (any entry counts as taken, a dangling link too), and
  // the later one takes the next free time.
  std::string path;
  for (int64_t t = unixMs;; ++t) {
    path = dir_ + "/" + SnapshotName(t, reason);
    // A name seen taken is skipped without writing; the create below settles any race.
    if (t - unixMs < kNameAttempts && fs::exists(fs::symlink_status(path, ec))) continue;
    const SaveOutcome outcome = SaveNewFileAtomically(path, image.data(), image.size());
    if (outcome.ok) break;
    if (outcome.systemError != EEXIST || t - unixMs >= kNameAttempts) {
      setError(error, "Can't save the snapshot '" + path + "': " + outcome.reason);
      return false;
    }
  }
  // The oldest others go; the one just saved stays even when its time is older than theirs
  // (a clock set back), or the settings it keeps would be lost at once.
  std::vector<Snapshot> others = list();
  const fs::path saved = fs::path(path).filename();
  std::erase_if(others, [&](const Snapshot& s) { return fs::path(s.path).filename() == saved; });
  for (size_t i = kSnapshotsKept - 1; i < others.size(); ++i) fs::remove(others[i].path, ec);
  return true;
}

std::vector<Snapshot> SnapshotStore::list() const {
  std::vector<Snapshot> out;
  std::error_code ec;
  for (fs::directory_iterator it(dir_, ec), end; !ec && it != end; it.increment(ec)) {
    if (!it->is_regular_file(ec)) continue;
    Snapshot s;
    if (!ParseSnapshotName(it->path().filename().string(), s)) continue;
    s.path = it->path().string();
    out.push_back(std::move(s));
  }
  // The name orders snapshots of the same millisecond (the later one got the next time).
  std::sort(out.begin(), out.end(), [](const Snapshot& a, const Snapshot& b) {
    return a.unixMs != b.unixMs ? a.unixMs > b.unixMs : a.path > b.path;
  });
  return out;
}

bool SnapshotStore::read(const Snapshot& s, SettingsImage& out, std::string* error) const {
  std::ifstream f(s.path, std::ios::binary);
  if (!f) {
    setError(error, "Can't read the snapshot '" + s.path + "'");
    return false;
  }
  SettingsImage bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  ParameterMemory check;
  if (!LoadImage(check, bytes)) {
    setError(error, "'" + s.path + "' is not a mode file");
    return false;
  }
  // Older layouts come back as the current one, so callers compare images of one layout.
  out = ImageOf(check);
  return true;
}

}  // namespace ax7::history
