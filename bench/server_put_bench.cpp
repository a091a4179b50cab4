// A PUT /api/v1/values of one value over loopback, from the request leaving the client to the
// report leaving for the box (handed to the link), with the answer read in between; the
// simulated box answers at once, so its answer time is not in the figure.
#include <benchmark/benchmark.h>

#include <boost/asio.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <string>
#include <thread>

#include "core/core.h"
#include "server/core_box.h"
#include "server/server.h"
#include "sim/sim_backend.h"

namespace {

using namespace ax7;
namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;

void BM_PutOneValueToReportSent(benchmark::State& state) {
  RealClock clock;
  sim::SimBackend backend(clock);
  Core core(backend, clock);
  core.link.OpenUsbDevice(nullptr);
  server::CoreBox box(core, "/dev/null/snapshots");
  box.setReady(true);
  server::ServerOptions options;
  options.port = 0;
  server::Server srv(box, options);
  std::string error;
  if (!srv.start(&error)) {
    state.SkipWithError(error.c_str());
    return;
  }

  asio::io_context ioc;
  beast::tcp_stream stream(ioc);
  stream.connect({asio::ip::make_address("127.0.0.1"), srv.port()});
  beast::flat_buffer buffer;
  int v = 0;
  for (auto _ : state) {
    const uint64_t before = core.link.writeCount();
    http::request<http::string_body> req{http::verb::put, "/api/v1/values", 11};
    req.set(http::field::host, "127.0.0.1");
    req.body() = "{\"mic1.volume\": " + std::to_string(v++ % 100) + "}";
    req.prepare_payload();
    http::write(stream, req);
    http::response<http::string_body> res;
    http::read(stream, buffer, res);
    if (res.result_int() != 200) state.SkipWithError("refused");
    while (core.link.writeCount() == before) std::this_thread::yield();
  }
  srv.stop();
  core.link.CloseUsbDevice(false);
  core.queue.stop();
}
BENCHMARK(BM_PutOneValueToReportSent)->Unit(benchmark::kMicrosecond)->Repetitions(5);

}  // namespace
