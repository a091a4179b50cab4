// doctor: why a box cannot be opened, checked step by step without talking to it.
#include <cstdlib>
#include <cstring>
#include <ostream>
#include <sstream>

#include "cli/args.h"
#include "cli/command.h"
#include "cli/doctor_probe.h"
#include "cli/exit_codes.h"
#include "cli/output.h"
#include "cli/json_output.h"
#include "cli/udev_rule.h"
#include "hid/permissions.h"

namespace ax7::cli {

namespace {

// Tests point the doctor at a prepared sysfs/dev/proc tree; users never need it.
constexpr const char* kRootVariable = "AX7_DOCTOR_ROOT";

struct Texts {
  bool zh;
  const char* operator()(const char* zhText, const char* enText) const {
    return zh ? zhText : enText;
  }
};

enum class Status { Ok, Problem, Note };

struct Check {
  const char* id;
  Status status;
  std::string text;
  std::string advice;  // empty: nothing to do
};

std::string octal(unsigned mode) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%04o", mode);
  return buf;
}

// A command that writes this program's rule where udev reads the administrator's rules, from
// any folder: the rule lines travel inside it.
std::string ruleInstallCommand() {
  std::string lines;
  std::istringstream in(kUdevRuleText);
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::string quoted;
    for (char c : line) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    lines += (lines.empty() ? "'" : " '") + quoted + "'";
  }
  return "printf '%s\\n' " + lines + " | sudo tee /etc/udev/rules.d/" + kUdevRuleFile +
         " >/dev/null && sudo udevadm control --reload-rules && sudo udevadm trigger";
}

constexpr const char* kReloadCommand =
    "sudo udevadm control --reload-rules && sudo udevadm trigger --subsystem-match=hidraw";

struct DoctorReport {
  std::vector<Check> checks;
  std::string result;  // "ok", "no box", "no hidraw node", "permission denied", "cannot open"
  bool canOpen = false;
};

DoctorReport diagnose(const DoctorFacts& f, const Texts& t) {
  DoctorReport r;
  auto add = [&](const char* id, Status s, std::string text, std::string advice = {}) {
    r.checks.push_back({id, s, std::move(text), std::move(advice)});
  };

  // 1. On the USB bus.
  if (f.boxes.empty()) {
    add("usb", Status::Problem,
        t("USB 总线上没有找到设备（2010:1031）", "no box (2010:1031) on the USB bus"),
        t("请接上设备并打开电源，使用数据线直接连接电脑的 USB 口；`lsusb -d 2010:1031` "
          "应能列出它。",
          "Plug the box in and switch it on, with a data cable to a port of the computer; "
          "`lsusb -d 2010:1031` should list it."));
  }
  for (const UsbBox& b : f.boxes) {
    std::ostringstream s;
    s << t("USB 总线上有设备 2010:1031", "box 2010:1031 on the USB bus");
    if (b.busnum >= 0)
      s << t("：总线 ", ": bus ") << b.busnum << t(" 设备 ", " device ") << b.devnum;
    if (!b.product.empty()) s << " \"" << b.product << "\"";
    s << " (" << b.sysfsPath << ")";
    add("usb", Status::Ok, s.str());
  }

  // 2. Its hidraw node.
  if (f.nodes.empty()) {
    if (!f.boxes.empty()) {
      add("hidraw", Status::Problem, t("设备没有 hidraw 节点", "the box has no hidraw node"),
          t("内核的 usbhid 驱动没有接管设备：请拔下再插上设备，并查看 `dmesg`。",
            "The kernel's usbhid driver has not taken the box: unplug it, plug it in again and "
            "look at `dmesg`."));
    } else {
      add("hidraw", Status::Note, t("没有设备，也就没有 hidraw 节点", "no box, so no hidraw node"));
    }
  }
  for (const HidrawNode& n : f.nodes) {
    if (!n.exists) {
      add("hidraw", Status::Problem,
          n.devPath + t(" 在 sysfs 中存在，但设备文件不存在",
                        " is in sysfs but its device file is missing"),
          t("udev 没有创建设备文件：请检查 udev 是否在运行，然后拔下再插上设备。",
            "udev did not make the device file: check that udev runs, then plug the box in "
            "again."));
      continue;
    }
    std::ostringstream s;
    s << n.devPath << t("：所有者 ", ": owner ") << n.owner << t("，组 ", ", group ") << n.group
      << t("，权限 ", ", mode ") << octal(n.mode);
    if (n.hasAcl) s << t("（另有访问控制列表）", " (an access list adds to it)");
    add("hidraw", Status::Ok, s.str());
  }

  // 3. Can this user open it?
  bool denied = false;
  for (const HidrawNode& n : f.nodes) {
    if (!n.exists) continue;
    if (n.openErrno == 0) {
      r.canOpen = true;
      add("open", Status::Ok,
          n.devPath +
              t("：当前用户可以读写打开", ": this user can open it for reading and writing"));
    } else if (n.openErrno == EACCES || n.openErrno == EPERM) {
      denied = true;
      add("open", Status::Problem,
          n.devPath +
              t("：当前用户没有权限打开（权限被拒绝）", ": permission denied for this user"));
    } else {
      add("open", Status::Problem,
          n.devPath + t("：无法打开：", ": cannot be opened: ") + std::strerror(n.openErrno),
          t("请拔下再插上设备。", "Unplug the box and plug it in again."));
    }
  }
  if (f.nodes.empty()) add("open", Status::Note, t("没有可以打开的节点", "no node to open"));

  // 4. The udev rule.
  const RuleFile* effective = nullptr;
  for (const RuleFile& rule : f.rules) {
    if (rule.ours) {
      effective = &rule;
      break;
    }
  }
  std::string ruleAdvice;
  if (!effective) {
    ruleAdvice =
        std::string(t("请安装 udev 规则：", "Install the udev rule: ")) + ruleInstallCommand();
    add("udev_rule", denied ? Status::Problem : Status::Note,
        std::string(t("没有安装 udev 规则 ", "the udev rule ")) + kUdevRuleFile +
            t("", " is not installed"),
        ruleAdvice);
  } else if (!effective->matches) {
    ruleAdvice =
        std::string(t("请用本程序的规则替换它：", "Replace it with this program's rule: ")) +
        ruleInstallCommand();
    add("udev_rule", Status::Problem,
        effective->path + t(" 与本程序的 udev 规则不同", " differs from this program's udev rule"),
        ruleAdvice);
  } else {
    std::string advice;
    if (denied) {
      advice = std::string(t("规则已安装，但还没有作用到这个节点：请运行 ",
                             "The rule is installed but not yet in effect for this node: run ")) +
               kReloadCommand +
               t("，或拔下再插上设备。该规则只把权限交给在本机座席登录的用户；通过 SSH "
                 "登录时请把用户加入有权限的组。",
                 ", or plug the box in again. The rule gives access to the user logged in at this "
                 "computer's seat; over SSH, put the user in a group with access instead.");
    }
    add("udev_rule", Status::Ok,
        effective->path +
            t("：已安装，与本程序的规则一致", ": installed and the same as this program's rule"),
        advice);
  }
  for (const RuleFile& rule : f.rules) {
    if (!rule.ours) {
      add("udev_rule", Status::Note,
          rule.path + t(" 也提到了设备的 ID", " also names the box's ids"));
    }
  }

  // 5. Another process holding the node.
  bool anyHolder = false;
  for (const HidrawNode& n : f.nodes) {
    for (const ProcessHolder& h : n.holders) {
      anyHolder = true;
      std::ostringstream s;
      s << n.devPath << t(" 被进程 ", " is held open by process ") << h.pid << " (" << h.command
        << ")" << t(" 占用", "");
      add("held_open", Status::Problem, s.str(),
          t("两个程序会同时读取设备的应答：请先关闭另一个程序（例如还在运行的 ax7-control）。",
            "Both programs would read the box's answers: close the other one first (for example "
            "an ax7-control left running)."));
    }
  }
  if (!anyHolder && !f.nodes.empty()) {
    std::string text = t("没有其他进程占用节点", "no other process holds the node open");
    if (f.processesNotReadable > 0) {
      text += std::string(t("（其他用户的 ", " (the open files of ")) +
              std::to_string(f.processesNotReadable) +
              t(" 个进程无法查看）", " processes of other users could not be seen)");
    }
    add("held_open", Status::Ok, text);
  }

  // 6. What this program was built with.
#ifdef AX7_WITH_HIDAPI
  add("build", Status::Ok,
      std::string(t("构建时找到了 hidapi ", "built with hidapi ")) + AX7_HIDAPI_VERSION +
          t(" 和 libudev ", " and libudev ") + AX7_LIBUDEV_VERSION);
#else
  add("build", Status::Problem,
      t("构建时没有找到 hidapi 和 libudev：只能使用 --device sim",
        "built without hidapi and libudev: only --device sim works"),
      t("请安装 libhidapi-dev 和 libudev-dev 后重新构建。",
        "Install libhidapi-dev and libudev-dev and build again."));
#endif

  if (f.boxes.empty() && f.nodes.empty()) {
    r.result = "no box";
  } else if (r.canOpen) {
    r.result = "ok";
  } else if (f.nodes.empty()) {
    r.result = "no hidraw node";
  } else if (denied) {
    r.result = "permission denied";
  } else {
    r.result = "cannot open";
  }
#ifndef AX7_WITH_HIDAPI
  // A node this user may open is of no use to a program that cannot talk to real boxes.
  if (r.canOpen) r.result = "built without hidapi";
  r.canOpen = false;
#endif
  return r;
}

const char* statusWord(Status s) {
  switch (s) {
    case Status::Ok:
      return "ok";
    case Status::Problem:
      return "problem";
    case Status::Note:
      return "note";
  }
  return "note";
}

const char* resultText(const std::string& result, const Texts& t) {
  if (result == "ok") return t("可以打开设备", "a box can be opened");
  if (result == "no box") return t("没有设备", "no box");
  if (result == "no hidraw node") return t("设备没有 hidraw 节点", "the box has no hidraw node");
  if (result == "permission denied") return t("没有权限打开设备", "permission denied");
  if (result == "built without hidapi") {
    return t("构建时没有 hidapi，无法使用真实设备",
             "built without hidapi: no real box can be used");
  }
  return t("无法打开设备", "the box cannot be opened");
}

Json factsJson(const DoctorFacts& f) {
  Json doc = Json::object();
  Json boxes = Json::array();
  for (const UsbBox& b : f.boxes) {
    boxes.push_back({{"sysfs", b.sysfsPath},
                     {"busnum", b.busnum},
                     {"devnum", b.devnum},
                     {"product", b.product}});
  }
  doc["usb"] = boxes;
  Json nodes = Json::array();
  for (const HidrawNode& n : f.nodes) {
    Json holders = Json::array();
    for (const ProcessHolder& h : n.holders)
      holders.push_back({{"pid", h.pid}, {"command", h.command}});
    Json node = {{"path", n.devPath}, {"exists", n.exists}};
    if (n.exists) {
      node["owner"] = n.owner;
      node["group"] = n.group;
      node["mode"] = octal(n.mode);
      node["acl"] = n.hasAcl;
    }
    node["can_open"] = n.exists && n.openErrno == 0;
    node["open_error"] = n.openErrno == 0 ? Json(nullptr) : Json(std::strerror(n.openErrno));
    node["held_by"] = holders;
    nodes.push_back(node);
  }
  doc["hidraw"] = nodes;
  Json rules = Json::array();
  for (const RuleFile& rule : f.rules) {
    rules.push_back({{"path", rule.path}, {"ours", rule.ours}, {"matches", rule.matches}});
  }
  doc["udev_rules"] = rules;
  doc["processes_not_readable"] = f.processesNotReadable;
  return doc;
}

int runDoctor(Context& ctx, const std::vector<std::string>& words) {
  ParsedArgs args;
  std::string error;
  if (!parseArgs(words, {"--lang"}, {"--json"}, &args, &error)) {
    return usageError(ctx, kDoctorCommand, error);
  }
  if (args.help) return printUsage(ctx, kDoctorCommand);
  if (!args.positional.empty()) return usageError(ctx, kDoctorCommand, "no arguments expected");
  Texts t{ChineseFromEnvironment()};
  if (auto lang = args.values.find("--lang"); lang != args.values.end()) {
    if (lang->second != "zh" && lang->second != "en") {
      return usageError(ctx, kDoctorCommand, "--lang must be zh or en");
    }
    t.zh = lang->second == "zh";
  }
  const char* root = std::getenv(kRootVariable);
  const DoctorFacts facts = probeSystem(root && *root ? root : "/");
  const DoctorReport report = diagnose(facts, t);

  if (args.flags.count("--json")) {
    Json doc = jsonDocument();
    doc["result"] = report.result;
    doc["can_open"] = report.canOpen;
    Json checks = Json::array();
    for (const Check& c : report.checks) {
      Json check = {{"id", c.id}, {"status", statusWord(c.status)}, {"text", c.text}};
      check["advice"] = c.advice.empty() ? Json(nullptr) : Json(c.advice);
      checks.push_back(check);
    }
    doc["checks"] = checks;
    const Json details = factsJson(facts);
    for (auto it = details.begin(); it != details.end(); ++it) doc[it.key()] = it.value();
#ifdef AX7_WITH_HIDAPI
    doc["build"] = {{"hidapi", AX7_HIDAPI_VERSION}, {"libudev", AX7_LIBUDEV_VERSION}};
#else
    doc["build"] = {{"hidapi", nullptr}, {"libudev", nullptr}};
#endif
    writeJson(ctx.out, doc);
  } else {
    for (const Check& c : report.checks) {
      ctx.out << (c.status == Status::Ok        ? "[ok] "
                  : c.status == Status::Problem ? "[!!] "
                                                : "[--] ")
              << c.text << "\n";
      if (!c.advice.empty()) ctx.out << "     " << t("处理：", "what to do: ") << c.advice << "\n";
    }
    ctx.out << t("结论：", "result: ") << resultText(report.result, t) << "\n";
  }
  return report.canOpen ? kExitOk : kExitFailure;
}

}  // namespace

const CommandSpec kDoctorCommand = {
    "doctor",
    "check why a box cannot be opened, and say what to do",
    "usage: ax7ctl doctor [--json] [--lang zh|en]\n"
    "\n"
    "Checks, in order, and prints each finding with what to do: is a box (2010:1031) on the\n"
    "USB bus (from sysfs, without opening it); its hidraw node with owner, group and mode;\n"
    "whether this user can open the node for reading and writing; whether the udev rule is\n"
    "installed and the same as this program's; whether another process holds the node open\n"
    "(an ax7-control left running); whether hidapi and libudev were found at build time.\n"
    "Nothing is sent to the box. The language follows the locale, or --lang.\n"
    "--json: {\"api_version\": 1, \"result\" (\"ok\", \"no box\", \"no hidraw node\",\n"
    "\"permission denied\", \"cannot open\", \"built without hidapi\"), \"can_open\", \"checks\" "
    "[{\"id\", \"status\",\n"
    "\"text\", \"advice\"}], \"usb\", \"hidraw\", \"udev_rules\", \"build\"}.\n"
    "Exit code 0 when a box can be opened, 1 otherwise.\n",
    runDoctor,
};

}  // namespace ax7::cli
