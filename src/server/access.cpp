#include "server/access.h"

#include <fcntl.h>
#include <qrencode.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace ax7::server {

namespace {

constexpr size_t kTokenBytes = 16;
constexpr size_t kMaxTokenFile = 4096;

bool ciEqual(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

bool validToken(std::string_view t) {
  if (t.size() < 2 * kTokenBytes || t.size() > 256) return false;
  for (char c : t) {
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_') return false;
  }
  return true;
}

std::string trimmed(std::string s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.pop_back();
  size_t start = 0;
  while (start < s.size() && std::isspace(static_cast<unsigned char>(s[start]))) ++start;
  return s.substr(start);
}

}  // namespace

bool IsLoopbackAddress(std::string_view a) {
  if (!a.empty() && a.front() == '[' && a.back() == ']') a = a.substr(1, a.size() - 2);
  if (ciEqual(a, "localhost") || a == "::1") return true;
  if (a.substr(0, 4) != "127.") return false;
  int dots = 0;
  for (char c : a) {
    if (c == '.') {
      ++dots;
    } else if (!std::isdigit(static_cast<unsigned char>(c))) {
      return false;
    }
  }
  return dots == 3;
}

std::string DefaultTokenPath() {
  namespace fs = std::filesystem;
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  fs::path base;
  if (xdg && *xdg && fs::path(xdg).is_absolute()) {
    base = xdg;
  } else {
    const char* home = std::getenv("HOME");
    base = fs::path(home && *home ? home : ".") / ".config";
  }
  return (base / "ax7-control" / "token").string();
}

std::string NewToken() {
  unsigned char bytes[kTokenBytes];
  size_t got = 0;
  while (got < sizeof bytes) {
    const ssize_t n = getrandom(bytes + got, sizeof bytes - got, 0);
    if (n < 0) {
      if (errno == EINTR) continue;
      return {};
    }
    got += size_t(n);
  }
  static const char digits[] = "0123456789abcdef";
  std::string token;
  for (unsigned char b : bytes) {
    token += digits[b >> 4];
    token += digits[b & 15];
  }
  return token;
}

bool LoadOrCreateToken(const std::string& path, std::string* token, bool* created,
                       std::string* error) {
  namespace fs = std::filesystem;
  *created = false;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd >= 0) {
    struct stat st {};
    std::string text;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
      char buf[512];
      for (ssize_t n; text.size() < kMaxTokenFile && (n = ::read(fd, buf, sizeof buf)) > 0;) {
        text.append(buf, size_t(n));
      }
    }
    ::close(fd);
    if ((st.st_mode & 077) != 0) {
      *error = "the token file " + path + " can be read by other users; make it private " +
               "(chmod 600) or remove it to get a new token";
      return false;
    }
    *token = trimmed(text);
    if (!validToken(*token)) {
      *error = "the token file " + path + " holds no token; remove it to get a new one";
      return false;
    }
    return true;
  }
  if (errno != ENOENT) {
    *error = "cannot read the token file " + path + ": " + std::strerror(errno);
    return false;
  }
  std::error_code ec;
  const fs::path folder = fs::path(path).parent_path();
  if (!folder.empty() && !fs::exists(folder, ec)) {
    fs::create_directories(folder, ec);
    if (!ec) fs::permissions(folder, fs::perms::owner_all, ec);
    if (ec) {
      *error = "cannot make the folder " + folder.string() + ": " + ec.message();
      return false;
    }
  }
  const std::string fresh = NewToken();
  if (fresh.empty()) {
    *error = "the system's random number generator failed";
    return false;
  }
  // O_EXCL: two servers starting at once keep one token, the second reads it on its next start.
  const int out = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (out < 0) {
    *error = "cannot write the token file " + path + ": " + std::strerror(errno);
    return false;
  }
  const std::string line = fresh + "\n";
  const bool written = ::write(out, line.data(), line.size()) == ssize_t(line.size());
  const bool closed = ::close(out) == 0;
  if (!written || !closed) {
    ::unlink(path.c_str());
    *error = "cannot write the token file " + path;
    return false;
  }
  *token = fresh;
  *created = true;
  return true;
}

bool SameSecret(std::string_view a, std::string_view b) {
  unsigned char diff = a.size() == b.size() ? 0 : 1;
  const std::string_view& longer = a.size() >= b.size() ? a : b;
  for (size_t i = 0; i < longer.size(); ++i) {
    const unsigned char x = i < a.size() ? static_cast<unsigned char>(a[i]) : 0;
    const unsigned char y = i < b.size() ? static_cast<unsigned char>(b[i]) : 0;
    diff |= static_cast<unsigned char>(x ^ y);
  }
  return diff == 0;
}

std::string_view BearerToken(std::string_view h) {
  constexpr std::string_view kBearer = "Bearer ";
  if (h.size() <= kBearer.size() || !ciEqual(h.substr(0, kBearer.size()), kBearer)) return {};
  h.remove_prefix(kBearer.size());
  while (!h.empty() && h.front() == ' ') h.remove_prefix(1);
  while (!h.empty() && h.back() == ' ') h.remove_suffix(1);
  return h;
}

std::string_view OriginHost(std::string_view origin) {
  const size_t scheme = origin.find("://");
  if (scheme == std::string_view::npos) return {};
  std::string_view host = origin.substr(scheme + 3);
  return host.substr(0, host.find('/'));
}

std::string_view HostName(std::string_view host) {
  if (!host.empty() && host.front() == '[') {
    const size_t end = host.find(']');
    return end == std::string_view::npos ? host : host.substr(0, end + 1);
  }
  return host.substr(0, host.find(':'));
}

std::vector<std::vector<bool>> QrModules(const std::string& text) {
  QRcode* code = QRcode_encodeString(text.c_str(), 0, QR_ECLEVEL_L, QR_MODE_8, 1);
  if (!code) return {};
  std::vector<std::vector<bool>> rows(size_t(code->width), std::vector<bool>(size_t(code->width)));
  for (int y = 0; y < code->width; ++y) {
    for (int x = 0; x < code->width; ++x) {
      rows[size_t(y)][size_t(x)] = (code->data[y * code->width + x] & 1) != 0;
    }
  }
  QRcode_free(code);
  return rows;
}

std::string QrTerminalText(const std::string& text) {
  const auto modules = QrModules(text);
  if (modules.empty()) return {};
  constexpr int kQuiet = 2;
  const int n = int(modules.size());
  auto dark = [&](int x, int y) {
    return x >= 0 && y >= 0 && x < n && y < n && modules[size_t(y)][size_t(x)];
  };
  // Light modules are drawn, dark ones left blank: on a dark terminal that reads as dark
  // modules on a light ground, which is what a scanner needs.
  std::string out;
  for (int y = -kQuiet; y < n + kQuiet; y += 2) {
    for (int x = -kQuiet; x < n + kQuiet; ++x) {
      const bool top = !dark(x, y), bottom = !dark(x, y + 1);
      out += top && bottom ? "\u2588" : top ? "\u2580" : bottom ? "\u2584" : " ";
    }
    out += "\n";
  }
  return out;
}

}  // namespace ax7::server
