#include "server/listen_address.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <charconv>

namespace ax7::server {

bool ParseListenAddress(const std::string& text, std::string* address, uint16_t* port) {
  const size_t colon = text.rfind(':');
  if (colon == std::string::npos) return false;
  std::string host = text.substr(0, colon);
  if (host.size() >= 2 && host.front() == '[' && host.back() == ']') {
    host = host.substr(1, host.size() - 2);
  }
  const std::string digits = text.substr(colon + 1);
  unsigned number = 0;
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
  if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size() ||
      number > 65535) {
    return false;
  }
  *address = host.empty() ? "127.0.0.1" : host;
  *port = uint16_t(number);
  return true;
}

std::string UrlHost(const std::string& address) {
  return address.find(':') != std::string::npos ? "[" + address + "]" : address;
}

std::string ReachableAddress(const std::string& listen) {
  if (listen != "0.0.0.0" && listen != "::") return listen;
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) return listen;
  std::string found = listen;
  for (ifaddrs* a = list; a; a = a->ifa_next) {
    if (!a->ifa_addr || a->ifa_addr->sa_family != AF_INET) continue;
    if ((a->ifa_flags & IFF_UP) == 0 || (a->ifa_flags & IFF_LOOPBACK) != 0) continue;
    char text[INET_ADDRSTRLEN] = {};
    const auto* in = reinterpret_cast<const sockaddr_in*>(a->ifa_addr);
    if (inet_ntop(AF_INET, &in->sin_addr, text, sizeof text)) {
      found = text;
      break;
    }
  }
  freeifaddrs(list);
  return found;
}

std::string PageAddress(const std::string& listen, uint16_t port, const std::string& token) {
  std::string page =
      "http://" + UrlHost(ReachableAddress(listen)) + ":" + std::to_string(port) + "/";
  if (!token.empty()) page += "#token=" + token;
  return page;
}

}  // namespace ax7::server
