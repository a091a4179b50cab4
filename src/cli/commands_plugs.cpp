// plugs: the smart plugs behind the box's Z-Wave module: read the node table, the plug records
// and the scenes, or erase the plug data (the module's network and the scenes) and read back.
#include <ostream>

#include "cli/args.h"
#include "cli/command.h"
#include "cli/exit_codes.h"
#include "cli/json_output.h"
#include "cli/session.h"
#include "zwave/zwave_relay.h"

namespace ax7::cli {

namespace {

using zwave::ZWaveRelay;

const char* typeName(int type) {
  switch (type) {
    case 1:
      return "switch";
    case 2:
      return "dimmer";
    case 0:
      return "none";
    default:
      return "unknown";
  }
}

void printPlugs(Context& ctx, const ZWaveRelay& relay, bool json) {
  const auto nodes = relay.nodeTable();
  Json nodeList = Json::array();
  Json sceneList = Json::array();
  for (int n = 1; n <= zwave::kMaxNodeId; ++n) {
    if (nodes[size_t(n)].presence == 0) continue;
    const zwave::PlugRecord rec = relay.plugRecord(n);
    const std::string name = toUtf8(zwave::PlugName(rec));
    const int value = nodes[size_t(n)].value;
    if (json) {
      Json node = Json::object();
      node["id"] = n;
      node["controller"] = n == zwave::kControllerNode;
      if (n != zwave::kControllerNode) {
        node["type"] = typeName(zwave::PlugType(rec));
        node["type_code"] = zwave::PlugType(rec);
        node["name"] = name;
        node["value"] = value;
      }
      nodeList.push_back(node);
    } else if (n == zwave::kControllerNode) {
      ctx.out << "node 1: controller\n";
    } else {
      ctx.out << "node " << n << ": " << typeName(zwave::PlugType(rec)) << " \"" << name
              << "\" value " << value << "\n";
    }
  }
  for (int k = 0; k < zwave::kSceneCount; ++k) {
    const zwave::SceneRecord scene = relay.sceneRecord(k);
    Json steps = Json::array();
    std::string text;
    for (size_t i = 0; i + 1 < scene.size(); i += 2) {
      if (scene[i] == 0) continue;  // an empty step
      Json step = Json::object();
      step["node"] = scene[i];
      step["value"] = scene[i + 1];
      steps.push_back(step);
      text += " " + std::to_string(scene[i]) + "=" + std::to_string(scene[i + 1]);
    }
    sceneList.push_back(steps);
    if (!json) ctx.out << "scene " << k + 1 << ":" << (text.empty() ? " empty" : text) << "\n";
  }
  if (json) {
    Json doc = jsonDocument();
    doc["nodes"] = nodeList;
    doc["scenes"] = sceneList;
    writeJson(ctx.out, doc);
  }
}

// Reads the node list, then every plug record, every plug's value and the scenes, and waits
// for the last memory answers.
int readPlugs(Session& session) {
  ZWaveRelay& relay = session.core().zwave;
  if (!relay.ZWaveGetInitData()) return kExitFailure;
  int reads = zwave::kSceneCount;
  const auto nodes = relay.nodeTable();
  for (int n = 2; n <= zwave::kMaxNodeId; ++n) reads += nodes[size_t(n)].presence != 0;
  const uint64_t before = relay.memoryAnswers();
  relay.ZWAVE_ReadAll();
  session.clock().waitFor(kReplyTimeoutMs, [&] {
    return relay.memoryAnswers() >= before + uint64_t(reads) ||
           session.core().link.readThreadEnded();
  });
  return kExitOk;
}

int runPlugs(Context& ctx, const std::vector<std::string>& words) {
  ParsedArgs args;
  std::string error;
  if (!parseArgs(words, {}, {"--json"}, &args, &error))
    return usageError(ctx, kPlugsCommand, error);
  if (args.help) return printUsage(ctx, kPlugsCommand);
  if (args.positional.size() != 1 ||
      (args.positional[0] != "read" && args.positional[0] != "reset")) {
    return usageError(ctx, kPlugsCommand, "read or reset expected");
  }
  const bool reset = args.positional[0] == "reset";
  const bool json = args.flags.count("--json") > 0;

  Session session(ctx);
  return session.run([&] {
    if (int rc = session.start(); rc != kExitOk) return rc;
    if (int rc = session.connect(); rc != kExitOk) return rc;
    if (int rc = session.identifyBox(); rc != kExitOk) return rc;
    ZWaveRelay& relay = session.core().zwave;
    UsbLink& link = session.core().link;
    if (reset) {
      if (!relay.startPlugReset()) {
        session.close(false);
        return fail(ctx, kExitFailure, "the box was disconnected");
      }
      session.clock().waitFor(Clock::kForever, [&] { return !relay.resetRunning(); });
      relay.waitIdle();
      if (link.readThreadEnded()) {
        session.close(false);
        return fail(ctx, kExitFailure, "the box was disconnected during the plug reset");
      }
      if (relay.lastResetOutcome() == zwave::kResetModuleSilent) {
        session.close(true);
        return fail(ctx, kExitFailure,
                    "the Z-Wave module did not answer; the plug data may not be erased");
      }
    } else if (readPlugs(session) != kExitOk) {
      const bool gone = link.readThreadEnded();
      session.close(!gone);
      return fail(ctx, kExitFailure,
                  gone ? "the box was disconnected" : "the Z-Wave module did not answer");
    }
    if (link.readThreadEnded()) {
      session.close(false);
      return fail(ctx, kExitFailure, "the box was disconnected");
    }
    if (reset && !json) ctx.out << "plug data erased\n";
    printPlugs(ctx, relay, json);
    session.close(true);
    return kExitOk;
  });
}

}  // namespace

const CommandSpec kPlugsCommand = {
    "plugs",
    "read the smart plugs behind the box's Z-Wave module, or erase their data",
    "usage: ax7ctl plugs read [--json]\n"
    "       ax7ctl plugs reset [--json]\n"
    "\n"
    "read   asks the Z-Wave module for its node list, then reads every plug's record (type\n"
    "       and name) from the box, asks every plug for its value and reads the four scenes.\n"
    "       A plug that does not answer within 3 s keeps the value 0.\n"
    "reset  erases the plug data: the module forgets its network (every plug must be paired\n"
    "       again), the four scenes are cleared, then everything is read back. Waits for the\n"
    "       module at most about 6 s per step.\n"
    "Prints one line per node ('node N: switch|dimmer \"NAME\" value V') and per scene\n"
    "('scene K: NODE=VALUE ...' or 'empty').\n"
    "--json: {\"api_version\": 1, \"nodes\": [{\"id\", \"controller\", \"type\", \"type_code\",\n"
    "\"name\", \"value\"}], \"scenes\": [[{\"node\", \"value\"}] x 4]}.\n"
    "Exit code 1 when the module does not answer the node list (read) or the box goes away.\n",
    runPlugs,
};

}  // namespace ax7::cli
