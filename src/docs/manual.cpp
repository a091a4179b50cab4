#include "docs/manual.h"

#include <sstream>

#include "cli/command.h"
#include "cli/exit_codes.h"
#include "cli/options.h"
#include "docs/roff.h"
#include "shell/desktop_options.h"
#include "sim/sim_faults.h"

namespace ax7::docs {

namespace {

std::string e(std::string_view text) {
  return roffEscape(text);
}

// The page's own words in its language; roff markup is written into both texts alike.
struct Words {
  bool zh;
  const char* operator()(const char* zhText, const char* enText) const {
    return zh ? zhText : enText;
  }
};

void header(std::ostringstream& s, const char* title, const InstallPaths& paths, const Words& w) {
  s << ".\\\" Made from the programs' option and command tables at build time.\n"
    << ".TH " << title << " 1 \"\" \"ax7\\-control " << e(paths.version) << "\" \""
    << w("用户命令", "User Commands") << "\"\n";
  if (w.zh) s << ".ds AD l\n.ad l\n";
}

// A help text that may span lines, as one paragraph.
std::string paragraph(const char* help) {
  std::string text = help;
  for (char& c : text) {
    if (c == '\n') c = ' ';
  }
  return e(text);
}

void simFaults(std::ostringstream& s, const Words& w) {
  s << ".PP\n"
    << w("模拟设备的故障（\\fB\\-\\-sim\\-fault\\fR，可重复）：",
         "Faults of the simulated box (\\fB\\-\\-sim\\-fault\\fR, repeatable):")
    << "\n";
  for (std::string_view form : sim::SimFaultForms()) {
    s << ".IP \\(bu 2\n\\fB" << e(form) << "\\fR\n";
  }
}

void ruleFile(std::ostringstream& s, const InstallPaths& paths) {
  s << ".TP\n\\fI" << e(paths.udevRulesDir) << "/70\\-ax7\\-control.rules\\fR\n";
}

void udevRule(std::ostringstream& s, const InstallPaths& paths, const Words& w) {
  s << ".SH " << w("UDEV 规则", "UDEV RULE") << "\n"
    << w("普通用户只有在 udev 规则允许时才能打开设备。软件包把下面的规则装在\n",
         "An ordinary user may open the box only where a udev rule grants it. The package puts\n"
         "this rule in ")
    << "\\fI" << e(paths.udevRulesDir) << "/70\\-ax7\\-control.rules\\fR"
    << w("；\\fI/etc/udev/rules.d\\fR 中的同名文件优先。规则让本机座席上的用户可以访问设备"
         "（厂商 2010，产品 1031）的 hidraw 节点：\n",
         "; a copy in\n\\fI/etc/udev/rules.d\\fR takes its place. The rule gives the user at the "
         "seat access to the\nbox's hidraw node (vendor 2010, product 1031):\n")
    << ".PP\n.RS 4\n.nf\n"
    << e(paths.udevRule) << (paths.udevRule.ends_with('\n') ? "" : "\n") << ".fi\n.RE\n.PP\n"
    << w("手工复制规则后，请以 root 运行 \\fBudevadm control \\-\\-reload\\-rules\\fR 和 "
         "\\fBudevadm trigger\\fR，或重新插上设备。\\fBax7ctl doctor\\fR 会说明缺少什么。\n",
         "After copying it by hand, run \\fBudevadm control \\-\\-reload\\-rules\\fR and\n"
         "\\fBudevadm trigger\\fR as root, or plug the box in again. \\fBax7ctl doctor\\fR says "
         "what is\nmissing.\n");
}

}  // namespace

std::string ax7ctlManual(const InstallPaths& paths, ManualLanguage language) {
  const Words w{language == ManualLanguage::Chinese};
  std::ostringstream s;
  header(s, "AX7CTL", paths, w);
  s << ".SH " << w("名称", "NAME") << "\nax7ctl \\- "
    << w("AX7 音频处理器控制程序的命令行工具",
         "command\\-line companion of the AX7 audio processor control program")
    << "\n.SH " << w("概要", "SYNOPSIS") << "\n.B ax7ctl\n"
    << w("[\\fI全局选项\\fR] \\fI命令\\fR [\\fI参数\\fR]",
         "[\\fIGLOBAL OPTIONS\\fR] \\fICOMMAND\\fR [\\fIARGS\\fR]")
    << "\n.br\n.B ax7ctl\n"
    << w("\\fI命令\\fR", "\\fICOMMAND\\fR") << " \\fB\\-\\-help\\fR\n"
    << ".SH " << w("描述", "DESCRIPTION") << "\n"
    << w("\\fBax7ctl\\fR 通过 USB 控制 AX7 卡拉OK与家庭影院音频处理器（下称“设备”），"
         "也可以控制模拟设备：读写设备的设置，显示实时状态，显示和转换模式文件，设计滤波器节，"
         "并检查设备为何无法打开。它与桌面程序 \\fBax7\\-control\\fR(1) 使用同一个核心。\n"
         "选项和命令的说明与程序的 \\fB\\-\\-help\\fR 相同（英文）。\n",
         "\\fBax7ctl\\fR controls the AX7 karaoke and home\\-theatre audio processor (\"the box\") "
         "over\nUSB, or a simulated one: it reads and writes the box's settings, shows its live "
         "status,\nshows and converts mode files, designs filter sections and checks why a box "
         "cannot be\nopened. It uses the same core as the desktop program "
         "\\fBax7\\-control\\fR(1).\n")
    << ".SH " << w("全局选项", "GLOBAL OPTIONS") << "\n"
    << w("全局选项写在命令之前。", "Global options come before the command.") << "\n";
  for (const cli::OptionDoc& doc : cli::globalOptionDocs()) {
    s << ".TP\n\\fB" << e(doc.names) << "\\fR";
    if (doc.value) s << " \\fI" << e(doc.value) << "\\fR";
    s << "\n" << paragraph(doc.help) << "\n";
  }
  simFaults(s, w);
  s << ".SH " << w("命令", "COMMANDS") << "\n";
  for (const cli::CommandSpec* spec : cli::commandTable()) {
    s << ".SS \"" << e(spec->name) << "\"\n"
      << e(spec->summary) << ".\n.PP\n.nf\n"
      << e(spec->usage) << ".fi\n";
  }
  s << ".SH " << w("退出状态", "EXIT STATUS") << "\n"
    << ".TP\n.B " << cli::kExitOk << "\n"
    << w("成功。", "Success.") << "\n"
    << ".TP\n.B " << cli::kExitFailure << "\n"
    << w("没有设备、连接失败、设备被拒绝、输出文件（包括标准输出和 \\fB\\-\\-trace\\fR 文件）"
         "无法写入；对 \\fBdoctor\\fR：没有当前用户可以打开的设备。",
         "No box, a link failure, a rejected box, an output file that cannot be written\n"
         "(standard output and the \\fB\\-\\-trace\\fR file included); for \\fBdoctor\\fR: no "
         "box that this\nuser can open.")
    << "\n.TP\n.B " << cli::kExitUsage << "\n"
    << w("输入或用法错误；不向设备发送任何内容，也不写任何文件。",
         "Bad input or usage; nothing is sent to the box and nothing is written.")
    << "\n.PP\n"
    << w("\\fBdiff\\fR 与 \\fBdiff\\fR(1) 相同：0 表示相同，1 表示不同，2 表示输入或用法错误，"
         "3 表示没有设备、连接失败或输出无法写入。",
         "\\fBdiff\\fR answers as \\fBdiff\\fR(1) does: 0 the same, 1 different, 2 bad input or "
         "usage,\n3 no box, a link failure or output that cannot be written.")
    << "\n.SH " << w("环境变量", "ENVIRONMENT") << "\n.TP\n.B AX7_DEBUG\n"
    << w("设置后，设备连接的调试日志输出到标准错误。",
         "When set, the device link's debug log goes to stderr.")
    << "\n.TP\n.B AX7_MQTT_PASSWORD\n"
    << w("\\fBserve \\-\\-mqtt\\fR 连接代理服务器所用的密码（未给出 "
         "\\fB\\-\\-mqtt\\-password\\-file\\fR 时）；密码从不写在命令行上。",
         "The password \\fBserve \\-\\-mqtt\\fR gives the broker when "
         "\\fB\\-\\-mqtt\\-password\\-file\\fR\nis not given; a password is never taken "
         "from the command line.")
    << "\n.SH " << w("文件", "FILES") << "\n.TP\n\\fI*.px44t\\fR\n"
    << w("模式文件：设备的全部设置（可读版本 1 至 5，写出版本 5）。",
         "Mode files: the box's complete settings (versions 1 to 5 are read,\nversion 5 is "
         "written).")
    << "\n.TP\n\\fI*.json\\fR\n"
    << w("JSON 形式的模式文件，与 \\fBmodefile show \\-\\-json\\fR 的输出相同。",
         "A mode file as JSON, as \\fBmodefile show \\-\\-json\\fR prints it.")
    << "\n";
  ruleFile(s, paths);
  s << w("让普通用户可以打开设备的 udev 规则（见 \\fBax7\\-control\\fR(1)）。",
         "The udev rule that lets an ordinary user open the box (see \\fBax7\\-control\\fR(1)).")
    << "\n.SH " << w("示例", "EXAMPLES") << "\n.nf\n"
    << "ax7ctl doctor                                  # "
    << w("为什么打不开设备？", "why can't the box be opened?") << "\n"
    << "ax7ctl list\n"
    << "ax7ctl read \\-\\-save m1\\-party.px44t\n"
    << "ax7ctl write m1\\-party.px44t                   # "
    << w("并存入设备模式 M1", "also stores box mode M1") << "\n"
    << "ax7ctl \\-\\-device sim \\-\\-sim\\-fault silent read   # "
    << w("从不应答的设备", "a box that never answers") << "\n"
    << "ax7ctl diff m1\\-party.px44t box                # "
    << w("文件与设备有何不同", "what differs between the file and the box") << "\n"
    << "ax7ctl write m1\\-party.px44t \\-\\-changed         # "
    << w("只写入不同之处", "only what differs") << "\n"
    << "ax7ctl set mic1.volume=60 music.pitch=\\-2       # "
    << w("按名称修改设置（名称见 ax7ctl params）", "change settings by name (see ax7ctl params)")
    << "\n"
    << "ax7ctl get \\-\\-json out3                        # "
    << w("读出第 3 输出通道的全部设置", "every setting of output channel 3") << "\n"
    << "ax7ctl mode recall 2\n"
    << "ax7ctl serve \\-\\-listen 0.0.0.0:8744            # "
    << w("手机和脚本经网络控制设备（带令牌）", "phones and scripts on the network (with a token)")
    << "\n"
    << "ax7ctl modefile convert old.px44t new.json\n"
    << "ax7ctl design PEQ 6 1000 1.41\n"
    << ".fi\n"
    << ".SH " << w("参见", "SEE ALSO") << "\n\\fBax7\\-control\\fR(1), \\fBudev\\fR(7)\n";
  return w.zh ? withChineseBreaks(s.str()) : s.str();
}

std::string desktopManual(const InstallPaths& paths, ManualLanguage language) {
  const Words w{language == ManualLanguage::Chinese};
  std::ostringstream s;
  header(s, "AX7-CONTROL", paths, w);
  s << ".SH " << w("名称", "NAME") << "\nax7\\-control \\- "
    << w("AX7 卡拉OK与家庭影院处理器的控制程序", ui::kDesktopDescription) << "\n"
    << ".SH " << w("概要", "SYNOPSIS") << "\n.B ax7\\-control\n["
    << w("\\fI选项\\fR", "\\fIOPTIONS\\fR") << "] [\\fI" << e(ui::kDesktopFileArgument) << "\\fR]\n"
    << ".SH " << w("描述", "DESCRIPTION") << "\n"
    << w("\\fBax7\\-control\\fR 通过 USB 实时调节 AX7 卡拉OK与家庭影院处理器的每个处理参数，"
         "显示电平和状态，把完整的设置保存为模式文件或存入设备的模式 M1 至 M4，设置设备的开机音量"
         "和最大音量，学习遥控器按键，并清除智能插座数据。界面有中文和英文。随时插上的设备都会被"
         "找到；\\fIfile\\fR 是一个模式文件，在第一次同步后载入设备。\n"
         "选项的说明与程序的 \\fB\\-\\-help\\fR 相同（英文）。\n",
         "\\fBax7\\-control\\fR adjusts every processing parameter of the AX7 karaoke and\n"
         "home\\-theatre processor live over USB, shows its levels and status, keeps complete "
         "settings\nas mode files or in the box's modes M1 to M4, sets the box's start\\-up and "
         "maximum\nvolumes, teaches it remote\\-control keys and erases its smart\\-plug data. "
         "Its texts are in\nChinese and English. A box plugged in at any time is found; "
         "\\fIfile\\fR, a mode file, is\nloaded into the box after the first synchronisation.\n")
    << ".SH " << w("选项", "OPTIONS") << "\n"
    << ".TP\n\\fB\\-h\\fR, \\fB\\-\\-help\\fR\n"
    << w("显示选项后退出。", "Show the options and exit.") << "\n"
    << ".TP\n\\fB\\-\\-help\\-all\\fR\n"
    << w("显示选项（包括 Qt 自己的选项）后退出。", "Show the options, Qt's own included, and exit.")
    << "\n.TP\n\\fB\\-v\\fR, \\fB\\-\\-version\\fR\n"
    << w("显示版本后退出。", "Show the version and exit.") << "\n";
  for (const ui::DesktopOption& o : ui::desktopOptions()) {
    if (o.hidden) continue;
    s << ".TP\n\\fB\\-\\-" << e(o.name) << "\\fR";
    if (o.value) s << " \\fI" << e(o.value) << "\\fR";
    s << "\n" << e(o.help) << "\n";
  }
  s << ".TP\n\\fI" << e(ui::kDesktopFileArgument) << "\\fR\n" << e(ui::kDesktopFileHelp) << "\n";
  simFaults(s, w);
  s << ".SH " << w("退出状态", "EXIT STATUS") << "\n"
    << w("窗口正常关闭时为 0；无法启动时为 1；选项或脚本错误时为 2。",
         "0 when the window was closed normally; 1 when it could not start;\n2 for a wrong "
         "option or script.")
    << "\n.SH " << w("文件", "FILES") << "\n"
    << ".TP\n\\fI~/.config/ax7\\-control/AX7 V1.0.conf\\fR\n"
    << w("界面语言、外观和最近的文件。", "The language, the look and the recent files.") << "\n"
    << ".TP\n\\fI*.px44t\\fR\n"
    << w("模式文件。", "Mode files.") << "\n"
    << ".TP\n\\fI*.remo\\fR\n"
    << w("遥控按键文件。", "Remote\\-control key files.") << "\n";
  ruleFile(s, paths);
  s << w("udev 规则（见下文）。", "The udev rule (below).") << "\n";
  udevRule(s, paths, w);
  s << ".SH " << w("示例", "EXAMPLES") << "\n.nf\n"
    << "ax7\\-control                                   # "
    << w("USB 上的真实设备", "a real box over USB") << "\n"
    << "ax7\\-control \\-\\-device sim                      # "
    << w("模拟设备", "the simulated box") << "\n"
    << "ax7\\-control \\-\\-device sim m1\\-party.px44t        # "
    << w("启动时载入模式文件", "load a mode file at start") << "\n"
    << "ax7\\-control \\-\\-trace trace.txt                 # "
    << w("记录每个报告，供技术支持", "every report, for support") << "\n"
    << ".fi\n"
    << ".SH " << w("参见", "SEE ALSO")
    << "\n\\fBax7ctl\\fR(1), \\fBax7\\-control\\-script\\fR(7), \\fBudev\\fR(7)\n";
  return w.zh ? withChineseBreaks(s.str()) : s.str();
}

}  // namespace ax7::docs
