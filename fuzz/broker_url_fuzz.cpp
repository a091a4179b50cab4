// A broker address from any bytes (the command line, the desktop program's settings). A refusal
// is one line and never repeats what follows the user name; an address taken is written back
// out and read again to the same broker.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "mqtt/broker_url.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace ax7::mqtt;
  if (size > 4096) return 0;
  const std::string text(reinterpret_cast<const char*>(data), size);
  BrokerUrl url;
  std::string error;
  UrlProblem problem = UrlProblem::None;
  if (!ParseBrokerUrl(text, &url, &error, &problem)) {
    if (error.empty() || problem == UrlProblem::None) std::abort();
    if (error.find_first_of("\r\n") != std::string::npos) std::abort();
    return 0;
  }
  if (!error.empty() || problem != UrlProblem::None) std::abort();
  if (url.host.empty() || url.port == 0 || !url.password.empty()) std::abort();
  std::string again = url.tls ? "mqtts://" : "mqtt://";
  if (!url.user.empty()) again += url.user + "@";
  again += url.host.find(':') != std::string::npos ? "[" + url.host + "]" : url.host;
  again += ":" + std::to_string(url.port);
  BrokerUrl back;
  if (!ParseBrokerUrl(again, &back, &error)) std::abort();
  if (back.tls != url.tls || back.host != url.host || back.port != url.port ||
      back.user != url.user)
    std::abort();
  return 0;
}
