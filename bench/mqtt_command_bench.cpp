// A command on a set topic through a local mosquitto broker to the report leaving for the box
// (handed to the link), and a burst of 1,000 commands to one number until the box's value is
// the last of them, with the process's resident memory after each burst. Skipped where the
// broker is not installed.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <unistd.h>

#include "core/core.h"
#include "mqtt/bridge.h"
#include "server/core_box.h"
#include "sim/sim_backend.h"
#include "support/mqtt_broker.h"

namespace {

using namespace ax7;

double residentMiB() {
  std::ifstream in("/proc/self/statm");
  long pages = 0, resident = 0;
  in >> pages >> resident;
  return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

struct Rig {
  std::filesystem::path dir = std::filesystem::temp_directory_path() /
                              ("ax7-mqtt-bench-" + std::to_string(getpid()));
  std::unique_ptr<test::MqttBroker> broker;
  RealClock clock;
  sim::SimBackend backend{clock};
  Core core{backend, clock};
  server::CoreBox box{core, "/dev/null/snapshots"};
  std::unique_ptr<mqtt::Bridge> bridge;
  std::unique_ptr<test::MqttClient> client;
  std::string error;

  Rig() {
    std::filesystem::create_directories(dir);
    if (!test::MqttBroker::installed()) {
      error = "mosquitto is not installed";
      return;
    }
    broker = std::make_unique<test::MqttBroker>(dir);
    if (!broker->start()) {
      error = "the broker did not start";
      return;
    }
    core.link.OpenUsbDevice(nullptr);
    box.setReady(true);
    mqtt::BridgeOptions o;
    o.broker.host = "127.0.0.1";
    o.broker.port = broker->port();
    bridge = std::make_unique<mqtt::Bridge>(box, o);
    if (!bridge->start(&error)) return;
    bridge->setDevice({"SIM0001", "", ""});
    bridge->readyChanged(true);
    for (int i = 0; i < 1000 && !bridge->counts().connected; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (!bridge->counts().connected) error = "the bridge did not connect";
    client = std::make_unique<test::MqttClient>(broker->port(), "ax7/SIM0001/error");
  }
  ~Rig() {
    client.reset();
    if (bridge) bridge->stop();
    core.link.CloseUsbDevice(false);
    core.queue.stop();
    broker.reset();
    std::filesystem::remove_all(dir);
  }
};

void BM_SetTopicToReportSent(benchmark::State& state) {
  Rig rig;
  if (!rig.error.empty()) {
    state.SkipWithError(rig.error.c_str());
    return;
  }
  int v = 0;
  for (auto _ : state) {
    const uint64_t before = rig.core.link.writeCount();
    rig.client->publish("ax7/SIM0001/set/mic1.volume", std::to_string(v++ % 100));
    while (rig.core.link.writeCount() == before) std::this_thread::yield();
  }
}
BENCHMARK(BM_SetTopicToReportSent)->Unit(benchmark::kMicrosecond)->Repetitions(5)->UseRealTime();

void BM_BurstToOneNumberEndsAtTheLastValue(benchmark::State& state) {
  Rig rig;
  if (!rig.error.empty()) {
    state.SkipWithError(rig.error.c_str());
    return;
  }
  int round = 0;
  double firstMiB = 0;
  for (auto _ : state) {
    const int last = 1 + round++ % 98;  // differs from the round before
    for (int i = 0; i < 1000; ++i) {
      const int v = i == 999 ? last : (i * 7) % 100;
      rig.client->publish("ax7/SIM0001/set/music.volume", std::to_string(v));
    }
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (rig.box.values()["music.volume"] != last || !rig.core.queue.waitIdle(0)) {
      if (std::chrono::steady_clock::now() > end) {
        state.SkipWithError("the box never reached the last value");
        return;
      }
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    if (firstMiB == 0) firstMiB = residentMiB();
  }
  state.counters["rss_first_MiB"] = firstMiB;
  state.counters["rss_last_MiB"] = residentMiB();
}
BENCHMARK(BM_BurstToOneNumberEndsAtTheLastValue)->Unit(benchmark::kMillisecond)->UseRealTime()
    ->Iterations(20);

}  // namespace
