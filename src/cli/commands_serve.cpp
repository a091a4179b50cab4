// serve: owns the box and offers it to phones and scripts over HTTP and WebSocket.
#include <pthread.h>
#include <signal.h>

#include <optional>
#include <ostream>

#include "cli/args.h"
#include "cli/command.h"
#include "cli/exit_codes.h"
#include "cli/session.h"
#include "history/snapshots.h"
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
  if (!parseArgs(words, {"--listen"}, {}, &args, &error)) {
    return usageError(ctx, kServeCommand, error);
  }
  if (args.help) return printUsage(ctx, kServeCommand);
  if (!args.positional.empty()) return usageError(ctx, kServeCommand, "no arguments expected");
  const auto listenIt = args.values.find("--listen");
  const std::string listen = listenIt == args.values.end() ? kDefaultListen : listenIt->second;
  server::ServerOptions options;
  if (!server::ParseListenAddress(listen, &options.address, &options.port)) {
    return usageError(ctx, kServeCommand, "--listen takes ADDR:PORT, not '" + listen + "'");
  }

  // Any address but a loopback one needs a token: made on first use and kept.
  bool tokenCreated = false;
  std::string tokenPath;
  if (!server::IsLoopbackAddress(options.address)) {
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

    server::Server server(box, options);
    if (!server.start(&error)) {
      session.backend().setHotplugHandler(nullptr);
      return fail(ctx, kExitFailure, error);
    }
    box.setReadyObserver([&](bool ready) { server.readyChanged(ready); });
    const std::string port = std::to_string(server.port());
    ctx.out << "listening on http://" << server::UrlHost(options.address) << ":" << port << "/\n";
    if (tokenCreated) {
      const std::string page = server::PageAddress(options.address, server.port(), options.token);
      ctx.out << "a new token was made and kept in " << tokenPath << "\n"
              << "open on the phone (shown this once): " << page << "\n"
              << server::QrTerminalText(page);
    } else if (!options.token.empty()) {
      ctx.out << "requests need the token kept in " << tokenPath << "\n";
    }
    ctx.out << std::flush;

    std::thread signalWaiter([&] {
      int signal = 0;
      sigwait(&stopSignals, &signal);
      clock.notify([&] { events.stop = true; });
    });

    bool open = openAndRead(session, true);
    box.setReady(open);
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
        box.setReady(open);
      } else if (seen.recall >= 0) {
        box.setReady(false);
      }
      if (!open && seen.arrived) {
        open = openAndRead(session, true);
        box.setReady(open);
      }
    }

    box.setReadyObserver(nullptr);
    server.stop();
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
    "usage: ax7ctl serve [--listen ADDR:PORT]\n"
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
    "clients are refused; a wrong token is answered 401 after a delay that grows.\n",
    runServe,
};

}  // namespace ax7::cli
