// serve: owns the box and offers it to phones and scripts over HTTP and WebSocket.
#include <pthread.h>
#include <signal.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <ostream>

#include "cli/args.h"
#include "cli/command.h"
#include "cli/exit_codes.h"
#include "cli/session.h"
#include "history/snapshots.h"
#include "mqtt/bridge.h"
#include "server/access.h"
#include "server/core_box.h"
#include "server/listen_address.h"
#include "server/server.h"

namespace ax7::cli {

namespace {

constexpr const char* kDefaultListen = "127.0.0.1:8744";
constexpr int64_t kStatusPeriodMs = 300;  // as often as the window asks
constexpr uint8_t kCmdLoadMode = 0x05;
constexpr int64_t kQueueDrainMs = 5000;

// The broker options of serve; false with a usage error's text.
bool parseMqtt(const ParsedArgs& args, mqtt::BridgeOptions* o, std::string* error) {
  auto value = [&](const char* name) -> const std::string* {
    const auto it = args.values.find(name);
    return it == args.values.end() ? nullptr : &it->second;
  };
  const std::string* url = value("--mqtt");
  if (!url) {
    for (const char* name : {"--mqtt-ca", "--mqtt-client-id", "--mqtt-prefix",
                             "--discovery-prefix", "--mqtt-password-file"}) {
      if (value(name)) {
        *error = std::string(name) + " needs --mqtt";
        return false;
      }
    }
    return true;
  }
  std::string why;
  if (!mqtt::ParseBrokerUrl(*url, &o->broker, &why)) {
    *error = "--mqtt: " + why;
    return false;
  }
  if (const std::string* ca = value("--mqtt-ca")) {
    if (!o->broker.tls) {
      *error = "--mqtt-ca needs an mqtts:// broker";
      return false;
    }
    o->caFile = *ca;
  }
  if (const std::string* id = value("--mqtt-client-id")) {
    if (id->empty() || id->size() > 65535) {
      *error = "--mqtt-client-id must not be empty";
      return false;
    }
    o->clientId = *id;
  }
  if (const std::string* p = value("--mqtt-prefix")) o->prefix = *p;
  if (const std::string* p = value("--discovery-prefix")) o->discoveryPrefix = *p;
  if (!mqtt::CheckTopicPrefix(o->prefix, &why)) {
    *error = "--mqtt-prefix: " + why;
    return false;
  }
  if (!mqtt::CheckTopicPrefix(o->discoveryPrefix, &why)) {
    *error = "--discovery-prefix: " + why;
    return false;
  }
  // The password never comes from the command line, which every user can read.
  if (const std::string* file = value("--mqtt-password-file")) {
    if (o->broker.user.empty()) {
      *error = "--mqtt-password-file needs a user name: mqtt://USER@HOST";
      return false;
    }
    std::ifstream in(*file, std::ios::binary);
    std::string password;
    if (!in || !std::getline(in, password)) {
      *error = "--mqtt-password-file: cannot read " + *file;
      return false;
    }
    if (!password.empty() && password.back() == '\r') password.pop_back();
    o->broker.password = password;
  } else if (const char* env = std::getenv("AX7_MQTT_PASSWORD"); env && !o->broker.user.empty()) {
    o->broker.password = env;
  }
  return true;
}

// Entity names follow the language of the messages the user chose for this computer.
bool chineseLocale() {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* v = std::getenv(name);
    if (v && *v) return std::string_view(v).substr(0, 2) == "zh";
  }
  return false;
}

// Who the open box is, for the broker: its USB serial number, model and software version.
mqtt::DeviceInfo deviceInfo(Session& session) {
  mqtt::DeviceInfo info;
  const std::string path = session.core().link.devicePath();
  for (const HidInterfaceInfo& i : session.backend().enumerate()) {
    if (i.path == path) info.serial = i.serial;
  }
  const DeviceState& dev = session.core().mem.dev;
  info.model = toUtf8(dev.g_szModule.get());
  info.softwareVersion = toUtf8(dev.g_szMcuVersion.get());
  return info;
}

// What the box's owner is told by the other threads; guarded by the clock's lock.
struct Events {
  bool stop = false;
  bool arrived = false;
  bool removed = false;
  int recall = -1;
};

// Opens the box and reads it (its settings record with the master volumes' maximum too); false
// when there is none or it failed (said on stderr).
bool openAndRead(Session& session, bool connect) {
  if (connect && session.connect() != kExitOk) return false;
  return session.synchronizeFromBox() == kExitOk;
}

int runServe(Context& ctx, const std::vector<std::string>& words) {
  ParsedArgs args;
  std::string error;
  if (!parseArgs(words,
                 {"--listen", "--mqtt", "--mqtt-ca", "--mqtt-client-id", "--mqtt-prefix",
                  "--discovery-prefix", "--mqtt-password-file"},
                 {"--no-http"}, &args, &error)) {
    return usageError(ctx, kServeCommand, error);
  }
  if (args.help) return printUsage(ctx, kServeCommand);
  if (!args.positional.empty()) return usageError(ctx, kServeCommand, "no arguments expected");
  mqtt::BridgeOptions mqttOptions;
  if (!parseMqtt(args, &mqttOptions, &error)) return usageError(ctx, kServeCommand, error);
  const bool withMqtt = !mqttOptions.broker.host.empty();
  const bool withHttp = args.flags.count("--no-http") == 0;
  if (!withHttp && !withMqtt) {
    return usageError(ctx, kServeCommand, "--no-http needs --mqtt: there is nothing else to serve");
  }
  if (!withHttp && args.values.count("--listen")) {
    return usageError(ctx, kServeCommand, "--listen and --no-http exclude each other");
  }
  const auto listenIt = args.values.find("--listen");
  const std::string listen = listenIt == args.values.end() ? kDefaultListen : listenIt->second;
  server::ServerOptions options;
  if (!server::ParseListenAddress(listen, &options.address, &options.port)) {
    return usageError(ctx, kServeCommand, "--listen takes ADDR:PORT, not '" + listen + "'");
  }

  // Any address but a loopback one needs a token: made on first use and kept.
  bool tokenCreated = false;
  std::string tokenPath;
  if (withHttp && !server::IsLoopbackAddress(options.address)) {
    tokenPath = server::DefaultTokenPath();
    if (!server::LoadOrCreateToken(tokenPath, &options.token, &tokenCreated, &error)) {
      return fail(ctx, kExitFailure,
                  "refusing to serve on " + options.address + " without a token: " + error);
    }
  }

  // Every thread started from here on leaves SIGINT and SIGTERM to the one that waits for them.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  sigset_t previous;
  pthread_sigmask(SIG_BLOCK, &stopSignals, &previous);

  Session session(ctx);
  const int rc = session.run([&] {
    if (int r = session.start(); r != kExitOk) return r;
    Core& core = session.core();
    Clock& clock = session.clock();
    server::CoreBox box(core, history::DefaultSnapshotDir());
    box.setStatusPoll(kStatusPeriodMs);
    Events events;
    box.setRecall([&](int mode) { clock.notify([&] { events.recall = mode; }); });
    session.backend().setHotplugHandler([&](HotplugEvent e, const std::string&) {
      clock.notify([&] { (e == HotplugEvent::Arrived ? events.arrived : events.removed) = true; });
    });

    std::optional<server::Server> server;
    if (withHttp) {
      server.emplace(box, options);
      if (!server->start(&error)) {
        session.backend().setHotplugHandler(nullptr);
        return fail(ctx, kExitFailure, error);
      }
      box.setReadyObserver([&](bool ready) { server->readyChanged(ready); });
      const std::string port = std::to_string(server->port());
      ctx.out << "listening on http://" << server::UrlHost(options.address) << ":" << port << "/\n";
      if (tokenCreated) {
        const std::string page = server::PageAddress(options.address, server->port(), options.token);
        ctx.out << "a new token was made and kept in " << tokenPath << "\n"
                << "open on the phone (shown this once): " << page << "\n"
                << server::QrTerminalText(page);
      } else if (!options.token.empty()) {
        ctx.out << "requests need the token kept in " << tokenPath << "\n";
      }
    }
    // The bridge connects once it knows the box's serial; a broker that is down is tried again
    // in the background and never stops the HTTP side.
    std::optional<mqtt::Bridge> bridge;
    int bridgeObserver = 0;
    if (withMqtt) {
      mqttOptions.chinese = chineseLocale();
      mqttOptions.log = [&ctx](const std::string& line) {
        ctx.err << "ax7ctl: mqtt: " << line << std::endl;
      };
      bridge.emplace(box, mqttOptions);
      if (!bridge->start(&error)) {
        if (server) server->stop();
        session.backend().setHotplugHandler(nullptr);
        return fail(ctx, kExitFailure, error);
      }
      bridgeObserver = box.addReadyObserver([&](bool ready) { bridge->readyChanged(ready); });
      ctx.out << "publishing to mqtt" << (mqttOptions.broker.tls ? "s" : "") << "://"
              << server::UrlHost(mqttOptions.broker.host) << ":" << mqttOptions.broker.port << " under "
              << mqttOptions.prefix << "/SERIAL/\n";
    }
    ctx.out << std::flush;
    // Read and checked: the bridge learns who the box is before it is told the box is there.
    auto announce = [&](bool ready) {
      if (ready && bridge) bridge->setDevice(deviceInfo(session));
      box.setReady(ready);
    };

    std::thread signalWaiter([&] {
      int signal = 0;
      sigwait(&stopSignals, &signal);
      clock.notify([&] { events.stop = true; });
    });

    bool open = openAndRead(session, true);
    announce(open);
    for (;;) {
      Events seen;
      clock.waitFor(Clock::kForever, [&] {
        seen = events;
        events = Events{events.stop};
        return seen.stop || seen.arrived || seen.removed || seen.recall >= 0 ||
               (open && core.link.readThreadEnded());
      });
      if (seen.stop) break;
      if (open && (seen.removed || core.link.readThreadEnded())) {
        box.setReady(false);
        session.close(false);
        open = false;
        ctx.err << "ax7ctl: the box was disconnected; waiting for it\n";
      }
      if (seen.recall >= 0 && open) {
        // Edits already queued go out first; then the box loads the mode and is read again.
        core.queue.waitIdle(kQueueDrainMs);
        core.mem.dev.g_nCurrentMode.store(seen.recall);
        core.cmd.SendCommand(kCmdLoadMode, seen.recall);
        open = openAndRead(session, false);
        announce(open);
      } else if (seen.recall >= 0) {
        box.setReady(false);
      }
      if (!open && seen.arrived) {
        open = openAndRead(session, true);
        announce(open);
      }
    }

    box.setReadyObserver(nullptr);
    if (bridge) box.removeReadyObserver(bridgeObserver);
    if (server) server->stop();
    if (bridge) bridge->stop();
    // Edits the API has answered still reach the box.
    if (open) core.queue.waitIdle(kQueueDrainMs);
    session.backend().setHotplugHandler(nullptr);
    box.setReady(false);
    session.close(true);
    signalWaiter.join();
    return kExitOk;
  });
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  return rc;
}

}  // namespace

const CommandSpec kServeCommand = {
    "serve",
    "offer the box to phones and scripts: HTTP and WebSocket API, remote page",
    "usage: ax7ctl serve [--listen ADDR:PORT] [--no-http] [--mqtt URL]\n"
    "                    [--mqtt-ca FILE] [--mqtt-client-id ID] [--mqtt-prefix PREFIX]\n"
    "                    [--discovery-prefix PREFIX] [--mqtt-password-file FILE]\n"
    "\n"
    "Opens the box, reads it, and serves its settings by name (see ax7ctl params) until\n"
    "stopped (Ctrl+C). Follows the box being unplugged and plugged in again, reading it\n"
    "again each time, and keeps its values current from the box's reports and the status.\n"
    "The first line printed is \"listening on http://ADDR:PORT/\".\n"
    "--listen ADDR:PORT  where to listen (default 127.0.0.1:8744; port 0 picks a free one).\n"
    "    Any address but a loopback one needs a token: one is made on first use, kept in\n"
    "    $XDG_CONFIG_HOME/ax7-control/token (mode 0600) and printed once with the page's\n"
    "    address and its QR code. Every request but the page then needs\n"
    "    \"Authorization: Bearer TOKEN\" (a WebSocket may give ?token=TOKEN).\n"
    "--no-http  no HTTP server (with --mqtt): the box only on the broker.\n"
    "--mqtt mqtt://[USER@]HOST[:PORT] or mqtts://[USER@]HOST[:PORT]\n"
    "    also put the box on an MQTT broker (port 1883, mqtts 8883 with the system's CA\n"
    "    store), with Home Assistant discovery. A broker that is down is tried again, from\n"
    "    1 s doubling to 30 s, and never stops the HTTP side. No password in the URL: the\n"
    "    first line of --mqtt-password-file FILE, or else $AX7_MQTT_PASSWORD.\n"
    "--mqtt-ca FILE  the CA certificates of an mqtts:// broker.\n"
    "--mqtt-client-id ID  the client id (default ax7-SERIAL).\n"
    "--mqtt-prefix PREFIX  the topics' prefix (default ax7).\n"
    "--discovery-prefix PREFIX  Home Assistant's discovery prefix (default homeassistant).\n"
    "\n"
    "GET  /api/v1/params             the names, units, ranges and DSP addresses\n"
    "GET  /api/v1/state              every value, the mode, connected, the live status\n"
    "PUT  /api/v1/values             {\"NAME\": value, ...}: all checked, then applied (400\n"
    "                                with {\"error\"} and nothing applied, or 200)\n"
    "POST /api/v1/mode/recall|save   {\"mode\": 1..4}\n"
    "GET  /api/v1/modefile           the box's settings as a mode file\n"
    "PUT  /api/v1/modefile           a mode file (64 KiB at most): only what differs is\n"
    "                                written, after a snapshot\n"
    "GET  /api/v1/eq/SET?format=F    an EQ set: apo, rew, camilladsp, biquad or json\n"
    "POST /api/v1/eq/SET?format=F    imports a file into the set (F may be auto)\n"
    "GET  /api/v1/ws                 WebSocket: {\"type\": \"state\"} first, then \"values\",\n"
    "                                \"status\" (10 a second at most), \"mode\", \"connection\";\n"
    "                                send {\"type\": \"set\", \"values\": {...}}\n"
    "GET  /                          the remote page\n"
    "Bodies above 1 MiB, headers above 16 KiB, requests slower than 10 s and more than 128\n"
    "clients are refused; a wrong token is answered 401 after a delay that grows.\n"
    "\n"
    "MQTT topics (SERIAL: the box's serial number, other characters than letters, digits,\n"
    "_ and - made _):\n"
    "PREFIX/SERIAL/state/NAME     retained: the value as ax7ctl get prints it; mode: M1..M4\n"
    "PREFIX/SERIAL/set/NAME       a value as ax7ctl set takes it (same checks); mode: M1..M4\n"
    "                             recalls a box mode; retained commands are not applied\n"
    "PREFIX/SERIAL/error          {\"topic\", \"error\"}: a command that changed nothing\n"
    "PREFIX/SERIAL/status         levels, music format, wireless microphones (JSON, once a\n"
    "                             second at most)\n"
    "PREFIX/SERIAL/availability   retained: online, or offline (also the last will, and\n"
    "                             while the box is unplugged)\n"
    "DISCOVERY/COMPONENT/ax7_SERIAL/OBJECT/config   retained discovery configs, sent again\n"
    "                             when DISCOVERY/status says online\n",
    runServe,
};

}  // namespace ax7::cli
