#include "cli/doctor_probe.h"

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/udev_rule.h"
#include "device/report.h"
#include "hid/permissions.h"

namespace ax7::cli {

namespace fs = std::filesystem;

namespace {

// sysfs attributes and rule files are short; whatever lies beyond `limit` is not read.
std::string readSmallFile(const fs::path& path, size_t limit = 4096) {
  std::ifstream in(path, std::ios::binary);
  std::string text;
  if (!in) return text;
  text.resize(limit);
  in.read(text.data(), std::streamsize(limit));
  text.resize(size_t(in.gcount()));
  return text;
}

constexpr size_t kRuleFileLimit = 1 << 16;

std::string firstLine(const fs::path& path) {
  std::string text = readSmallFile(path);
  text = text.substr(0, text.find('\n'));
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.pop_back();
  return text;
}

int readNumber(const fs::path& path) {
  const std::string text = firstLine(path);
  int value = -1;
  if (std::sscanf(text.c_str(), "%d", &value) != 1) return -1;
  return value;
}

// A path of the system ("/dev/hidraw3") below the root being examined.
fs::path under(const std::string& root, const std::string& systemPath) {
  if (root.empty() || root == "/") return systemPath;
  return fs::path(root) / fs::path(systemPath).relative_path();
}

std::vector<fs::path> sortedEntries(const fs::path& dir) {
  std::vector<fs::path> entries;
  std::error_code ec;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    entries.push_back(it->path());
  }
  std::sort(entries.begin(), entries.end());
  return entries;
}

std::string userName(uid_t uid) {
  if (const passwd* p = getpwuid(uid)) return p->pw_name;
  return std::to_string(uid);
}

std::string groupName(gid_t gid) {
  if (const group* g = getgrgid(gid)) return g->gr_name;
  return std::to_string(gid);
}

}  // namespace

bool ueventNamesBox(const std::string& uevent) {
  std::istringstream in(uevent);
  for (std::string line; std::getline(in, line);) {
    unsigned bus = 0, vendor = 0, product = 0;
    if (std::sscanf(line.c_str(), "HID_ID=%x:%x:%x", &bus, &vendor, &product) == 3) {
      return vendor == kBoxVendorId && product == kBoxProductId;
    }
  }
  return false;
}

namespace {

void findHolders(const std::string& root, std::vector<HidrawNode>& nodes, DoctorFacts& facts) {
  const pid_t self = getpid();
  for (const fs::path& proc : sortedEntries(under(root, "/proc"))) {
    const std::string name = proc.filename().string();
    if (name.empty() || !std::all_of(name.begin(), name.end(), ::isdigit)) continue;
    const int pid = std::atoi(name.c_str());
    if (pid == self && (root.empty() || root == "/")) continue;
    std::error_code ec;
    fs::directory_iterator it(proc / "fd", ec);
    if (ec) {
      if (ec == std::errc::permission_denied) ++facts.processesNotReadable;
      continue;
    }
    for (fs::directory_iterator end; it != end; it.increment(ec)) {
      if (ec) break;
      std::error_code linkError;
      const fs::path target = fs::read_symlink(it->path(), linkError);
      if (linkError) continue;
      for (HidrawNode& node : nodes) {
        if (target != node.devPath) continue;
        const bool known = std::any_of(node.holders.begin(), node.holders.end(),
                                       [&](const ProcessHolder& h) { return h.pid == pid; });
        if (!known) node.holders.push_back({pid, firstLine(proc / "comm")});
      }
    }
  }
}

HidrawNode inspectNode(const std::string& root, const std::string& devPath) {
  HidrawNode node;
  node.devPath = devPath;
  const fs::path path = under(root, devPath);
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    node.openErrno = errno;
    return node;
  }
  node.exists = true;
  node.uid = st.st_uid;
  node.gid = st.st_gid;
  node.owner = userName(st.st_uid);
  node.group = groupName(st.st_gid);
  node.mode = st.st_mode & 07777;
  node.hasAcl = ::getxattr(path.c_str(), "system.posix_acl_access", nullptr, 0) > 0;
  // Opening is the only sure answer (access lists, capabilities, security modules all count).
  // O_NONBLOCK: a hidraw open does not wait; nothing is read or written.
  const int fd = ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    node.openErrno = errno;
  } else {
    ::close(fd);
  }
  return node;
}

std::string normalisedRuleLines(const std::string& text) {
  std::string out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    std::string kept;
    for (char c : line) {
      if (!std::isspace(static_cast<unsigned char>(c))) kept += c;
    }
    if (kept.empty() || kept[0] == '#') continue;
    out += kept + "\n";
  }
  return out;
}

// A rule file of another name that names both of the box's ids (a rule the user wrote).
bool namesTheBox(const std::string& text) {
  std::string lower;
  for (char c : text) lower += char(std::tolower(static_cast<unsigned char>(c)));
  return lower.find("\"2010\"") != std::string::npos && lower.find("\"1031\"") != std::string::npos;
}

}  // namespace

std::vector<std::string> udevRuleFolders() {
  std::vector<std::string> folders = {"/etc/udev/rules.d", "/run/udev/rules.d",
                                      "/usr/local/lib/udev/rules.d", "/usr/lib/udev/rules.d",
                                      "/lib/udev/rules.d"};
  const std::string installed = kUdevRulesInstallDir;
  if (std::find(folders.begin(), folders.end(), installed) == folders.end()) {
    folders.push_back(installed);
  }
  return folders;
}

bool sameRuleLines(const std::string& a, const std::string& b) {
  return normalisedRuleLines(a) == normalisedRuleLines(b);
}

DoctorFacts probeSystem(const std::string& root) {
  DoctorFacts facts;
  for (const fs::path& dev : sortedEntries(under(root, "/sys/bus/usb/devices"))) {
    unsigned vendor = 0, product = 0;
    if (std::sscanf(firstLine(dev / "idVendor").c_str(), "%x", &vendor) != 1 ||
        std::sscanf(firstLine(dev / "idProduct").c_str(), "%x", &product) != 1) {
      continue;
    }
    if (vendor != kBoxVendorId || product != kBoxProductId) continue;
    facts.boxes.push_back({"/sys/bus/usb/devices/" + dev.filename().string(),
                           readNumber(dev / "busnum"), readNumber(dev / "devnum"),
                           firstLine(dev / "product")});
  }

  for (const fs::path& hidraw : sortedEntries(under(root, "/sys/class/hidraw"))) {
    if (!ueventNamesBox(readSmallFile(hidraw / "device" / "uevent"))) continue;
    facts.nodes.push_back(inspectNode(root, "/dev/" + hidraw.filename().string()));
  }
  if (!facts.nodes.empty()) findHolders(root, facts.nodes, facts);

  // udev reads a file name once: the first folder that has it wins.
  std::vector<fs::path> seen;
  std::vector<RuleFile> others;
  for (const std::string& folder : udevRuleFolders()) {
    for (const fs::path& file : sortedEntries(under(root, folder))) {
      if (file.extension() != ".rules") continue;
      std::error_code ec;
      const fs::path canonical = fs::canonical(file, ec);
      if (!ec && std::find(seen.begin(), seen.end(), canonical) != seen.end()) continue;
      if (!ec) seen.push_back(canonical);
      const std::string name = file.filename().string();
      const std::string text = readSmallFile(file, kRuleFileLimit);
      const std::string systemPath = folder + "/" + name;
      if (name == kUdevRuleFile) {
        facts.rules.push_back({systemPath, true, sameRuleLines(text, kUdevRuleText)});
      } else if (namesTheBox(text)) {
        others.push_back({systemPath, false, false});
      }
    }
  }
  facts.rules.insert(facts.rules.end(), others.begin(), others.end());
  return facts;
}

}  // namespace ax7::cli
