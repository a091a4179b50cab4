#include "mqtt/broker_url.h"

#include <charconv>

namespace ax7::mqtt {

bool ParseBrokerUrl(const std::string& text, BrokerUrl* out, std::string* error,
                    UrlProblem* problem) {
  UrlProblem unused;
  UrlProblem& kind = problem ? *problem : unused;
  kind = UrlProblem::Other;
  BrokerUrl url;
  std::string rest;
  if (text.rfind("mqtt://", 0) == 0) {
    rest = text.substr(7);
  } else if (text.rfind("mqtts://", 0) == 0) {
    url.tls = true;
    url.port = 8883;
    rest = text.substr(8);
  } else {
    *error = "the broker's address must start with mqtt:// or mqtts://";
    kind = UrlProblem::Scheme;
    return false;
  }
  // A host or user name has neither; a line break would also split the reason's one line.
  for (const char c : rest) {
    if (static_cast<unsigned char>(c) <= ' ' || c == 0x7F) {
      *error = "the broker's address holds a space or a control character";
      return false;
    }
  }
  if (!rest.empty() && rest.back() == '/') rest.pop_back();
  // Looked for first, so no other reason repeats an address that holds a password.
  const size_t at = rest.rfind('@');
  if (at != std::string::npos && rest.substr(0, at).find(':') != std::string::npos &&
      rest.substr(0, at).find_first_of("/?#") == std::string::npos) {
    *error = "no password in the broker's address (every user can read a command line): "
             "use --mqtt-password-file FILE or the environment variable AX7_MQTT_PASSWORD";
    kind = UrlProblem::Password;
    return false;
  }
  if (rest.find_first_of("/?#") != std::string::npos) {
    *error = "the broker's address takes no path or query";
    return false;
  }
  if (at != std::string::npos) {
    const std::string userInfo = rest.substr(0, at);
    if (userInfo.empty()) {
      *error = "an empty user name before '@'";
      return false;
    }
    url.user = userInfo;
    rest = rest.substr(at + 1);
  }
  std::string portText;
  if (!rest.empty() && rest.front() == '[') {
    const size_t close = rest.find(']');
    if (close == std::string::npos) {
      *error = "an IPv6 address needs its closing ']'";
      return false;
    }
    url.host = rest.substr(1, close - 1);
    const std::string after = rest.substr(close + 1);
    if (!after.empty()) {
      if (after.front() != ':') {
        *error = "':PORT' expected after ']'";
        return false;
      }
      portText = after.substr(1);
      if (portText.empty()) {
        *error = "no port after ':'";
        return false;
      }
    }
  } else {
    const size_t colon = rest.find(':');
    url.host = rest.substr(0, colon);
    if (colon != std::string::npos) {
      portText = rest.substr(colon + 1);
      if (portText.empty()) {
        *error = "no port after ':'";
        return false;
      }
    }
  }
  if (url.host.empty()) {
    *error = "the broker's address names no host";
    return false;
  }
  if (url.host.find_first_of("[]") != std::string::npos) {
    *error = "a '[' or ']' out of place in the broker's address";
    return false;
  }
  if (!portText.empty()) {
    unsigned port = 0;
    const auto [end, ec] = std::from_chars(portText.data(), portText.data() + portText.size(), port);
    if (ec != std::errc() || end != portText.data() + portText.size() || port == 0 ||
        port > 65535) {
      *error = "the port must be 1..65535, not '" + portText + "'";
      return false;
    }
    url.port = uint16_t(port);
  }
  *out = std::move(url);
  kind = UrlProblem::None;
  return true;
}

}  // namespace ax7::mqtt
