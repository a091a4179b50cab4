// One HTTP API request from any bytes (method, target, body): the answer is one of the statuses
// the API gives, and a JSON answer reads back as JSON. The header checks the server makes first
// get the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "server/access.h"
#include "server/api.h"
#include "server_fixture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace ax7::server;
  static auto* f = new ax7::fuzz::ServerFixture;
  if (size < 1 || size > 256 * 1024) return 0;
  static const char* const kMethods[] = {"GET", "PUT", "POST", "DELETE", "HEAD", "PATCH"};
  const std::string method = kMethods[data[0] % 6];
  const std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);
  const size_t line = rest.find('\n');
  const std::string target = rest.substr(0, line);
  const std::string body = line == std::string::npos ? std::string() : rest.substr(line + 1);

  (void)BodyLimit(target);
  (void)QueryValue(target, "token");
  (void)BearerToken(target);
  (void)OriginHost(target);
  (void)IsLoopbackAddress(HostName(target));
  const HttpAnswer a = HandleRequest(f->box, method, target, body);
  switch (a.status) {
    case 200: case 400: case 404: case 405: case 409: case 426: case 500: case 503:
      break;
    default:
      std::abort();
  }
  if (a.contentType == "application/json" && Json::parse(a.body, nullptr, false).is_discarded()) {
    std::abort();
  }
  f->core.queue.waitIdle(0);
  return 0;
}
