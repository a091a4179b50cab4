#pragma once
// Where the broker is: mqtt://[USER@]HOST[:PORT] or mqtts://[USER@]HOST[:PORT].
#include <cstdint>
#include <string>

namespace ax7::mqtt {

struct BrokerUrl {
  bool tls = false;
  std::string host;
  uint16_t port = 1883;  // 8883 for mqtts
  std::string user;      // empty: none
  std::string password;  // never from the URL: from a file or the environment
};

// What was wrong with an address, for a caller that words it itself.
enum class UrlProblem { None, Scheme, Password, Other };

// False with a one-line reason (and, when asked, which kind of problem). A password in the URL
// is refused, since a command line is readable by every user of the computer (ps); the reason
// says where to put it instead. An IPv6 address is written in brackets. No path, query,
// percent-escapes, spaces or control characters are taken.
bool ParseBrokerUrl(const std::string& text, BrokerUrl* out, std::string* error,
                    UrlProblem* problem = nullptr);

}  // namespace ax7::mqtt
