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

void header(std::ostringstream& s, const char* title, const InstallPaths& paths) {
  s << ".\\\" Made from the programs' option and command tables at build time.\n"
    << ".TH " << title << " 1 \"\" \"ax7\\-control " << e(paths.version)
    << "\" \"User Commands\"\n";
}

// A help text that may span lines, as one paragraph.
std::string paragraph(const char* help) {
  std::string text = help;
  for (char& c : text) {
    if (c == '\n') c = ' ';
  }
  return e(text);
}

void simFaults(std::ostringstream& s) {
  s << ".PP\nFaults of the simulated box (\\fB\\-\\-sim\\-fault\\fR, repeatable):\n";
  for (std::string_view form : sim::SimFaultForms())
    s << ".IP \\(bu 2\n\\fB" << e(form) << "\\fR\n";
}

void udevRule(std::ostringstream& s, const InstallPaths& paths) {
  s << ".SH UDEV RULE\n"
    << "An ordinary user may open the box only where a udev rule grants it. The package puts\n"
    << "this rule in \\fI" << e(paths.udevRulesDir) << "/70\\-ax7\\-control.rules\\fR; a copy in\n"
    << "\\fI/etc/udev/rules.d\\fR takes its place. The rule gives the user at the seat access to "
       "the\n"
    << "box's hidraw node (vendor 2010, product 1031):\n"
    << ".PP\n.RS 4\n.nf\n"
    << e(paths.udevRule) << (paths.udevRule.ends_with('\n') ? "" : "\n") << ".fi\n.RE\n"
    << ".PP\nAfter copying it by hand, run \\fBudevadm control \\-\\-reload\\-rules\\fR and\n"
    << "\\fBudevadm trigger\\fR as root, or plug the box in again. \\fBax7ctl doctor\\fR says what "
       "is\n"
    << "missing.\n";
}

}  // namespace

std::string ax7ctlManual(const InstallPaths& paths) {
  std::ostringstream s;
  header(s, "AX7CTL", paths);
  s << ".SH NAME\nax7ctl \\- command\\-line companion of the AX7 audio processor control program\n"
    << ".SH SYNOPSIS\n.B ax7ctl\n[\\fIGLOBAL OPTIONS\\fR] \\fICOMMAND\\fR [\\fIARGS\\fR]\n"
    << ".br\n.B ax7ctl\n\\fICOMMAND\\fR \\fB\\-\\-help\\fR\n"
    << ".SH DESCRIPTION\n"
    << "\\fBax7ctl\\fR controls the AX7 karaoke and home\\-theatre audio processor (\"the box\") "
       "over\n"
    << "USB, or a simulated one: it reads and writes the box's settings, shows its live status,\n"
    << "shows and converts mode files, designs filter sections and checks why a box cannot be\n"
    << "opened. It uses the same core as the desktop program \\fBax7\\-control\\fR(1).\n"
    << ".SH GLOBAL OPTIONS\nGlobal options come before the command.\n";
  for (const cli::OptionDoc& doc : cli::globalOptionDocs()) {
    s << ".TP\n\\fB" << e(doc.names) << "\\fR";
    if (doc.value) s << " \\fI" << e(doc.value) << "\\fR";
    s << "\n" << paragraph(doc.help) << "\n";
  }
  simFaults(s);
  s << ".SH COMMANDS\n";
  for (const cli::CommandSpec* spec : cli::commandTable()) {
    s << ".SS \"" << e(spec->name) << "\"\n"
      << e(spec->summary) << ".\n.PP\n.nf\n"
      << e(spec->usage) << ".fi\n";
  }
  s << ".SH EXIT STATUS\n"
    << ".TP\n.B " << cli::kExitOk << "\nSuccess.\n"
    << ".TP\n.B " << cli::kExitFailure
    << "\nNo box, a link failure, a rejected box, an output file that cannot be written; for\n"
       "\\fBdoctor\\fR: no box that this user can open.\n"
    << ".TP\n.B " << cli::kExitUsage
    << "\nBad input or usage; nothing is sent to the box and nothing is written.\n"
    << ".SH ENVIRONMENT\n.TP\n.B AX7_DEBUG\nWhen set, the device link's debug log goes to stderr.\n"
    << ".SH FILES\n"
    << ".TP\n\\fI*.px44t\\fR\nMode files: the box's complete settings (versions 1 to 5 are read,\n"
       "version 5 is written).\n"
    << ".TP\n\\fI*.json\\fR\nA mode file as JSON, as \\fBmodefile show \\-\\-json\\fR prints it.\n"
    << ".TP\n\\fI" << e(paths.udevRulesDir) << "/70\\-ax7\\-control.rules\\fR\n"
    << "The udev rule that lets an ordinary user open the box (see \\fBax7\\-control\\fR(1)).\n"
    << ".SH EXAMPLES\n.nf\n"
    << "ax7ctl doctor                                  # why can't the box be opened?\n"
    << "ax7ctl list\n"
    << "ax7ctl read \\-\\-save m1\\-party.px44t\n"
    << "ax7ctl write m1\\-party.px44t                   # also stores box mode M1\n"
    << "ax7ctl \\-\\-device sim \\-\\-sim\\-fault silent read   # a box that never answers\n"
    << "ax7ctl modefile convert old.px44t new.json\n"
    << "ax7ctl design PEQ 6 1000 1.41\n"
    << ".fi\n"
    << ".SH SEE ALSO\n\\fBax7\\-control\\fR(1), \\fBudev\\fR(7)\n";
  return s.str();
}

std::string desktopManual(const InstallPaths& paths) {
  std::ostringstream s;
  header(s, "AX7-CONTROL", paths);
  s << ".SH NAME\nax7\\-control \\- " << e(ui::kDesktopDescription) << "\n"
    << ".SH SYNOPSIS\n.B ax7\\-control\n[\\fIOPTIONS\\fR] [\\fI" << e(ui::kDesktopFileArgument)
    << "\\fR]\n"
    << ".SH DESCRIPTION\n"
    << "\\fBax7\\-control\\fR adjusts every processing parameter of the AX7 karaoke and\n"
    << "home\\-theatre processor live over USB, shows its levels and status, keeps complete "
       "settings\n"
    << "as mode files or in the box's modes M1 to M4, sets the box's start\\-up and maximum\n"
    << "volumes, teaches it remote\\-control keys and erases its smart\\-plug data. Its texts are "
       "in\n"
    << "Chinese and English. A box plugged in at any time is found; \\fIfile\\fR, a mode file, is\n"
    << "loaded into the box after the first synchronisation.\n"
    << ".SH OPTIONS\n"
    << ".TP\n\\fB\\-h\\fR, \\fB\\-\\-help\\fR\nShow the options and exit.\n"
    << ".TP\n\\fB\\-\\-help\\-all\\fR\nShow the options, Qt's own included, and exit.\n"
    << ".TP\n\\fB\\-v\\fR, \\fB\\-\\-version\\fR\nShow the version and exit.\n";
  for (const ui::DesktopOption& o : ui::desktopOptions()) {
    if (o.hidden) continue;
    s << ".TP\n\\fB\\-\\-" << e(o.name) << "\\fR";
    if (o.value) s << " \\fI" << e(o.value) << "\\fR";
    s << "\n" << e(o.help) << "\n";
  }
  s << ".TP\n\\fI" << e(ui::kDesktopFileArgument) << "\\fR\n" << e(ui::kDesktopFileHelp) << "\n";
  simFaults(s);
  s << ".SH EXIT STATUS\n0 when the window was closed normally; 1 when it could not start;\n"
       "2 for a wrong option or script.\n"
    << ".SH FILES\n"
    << ".TP\n\\fI~/.config/ax7\\-control/AX7 V1.0.conf\\fR\n"
       "The language, the look and the recent files.\n"
    << ".TP\n\\fI*.px44t\\fR\nMode files.\n"
    << ".TP\n\\fI*.remo\\fR\nRemote\\-control key files.\n"
    << ".TP\n\\fI" << e(paths.udevRulesDir)
    << "/70\\-ax7\\-control.rules\\fR\nThe udev rule (below).\n";
  udevRule(s, paths);
  s << ".SH EXAMPLES\n.nf\n"
    << "ax7\\-control                                   # a real box over USB\n"
    << "ax7\\-control \\-\\-device sim                      # the simulated box\n"
    << "ax7\\-control \\-\\-device sim m1\\-party.px44t        # load a mode file at start\n"
    << "ax7\\-control \\-\\-trace trace.txt                 # every report, for support\n"
    << ".fi\n"
    << ".SH SEE ALSO\n\\fBax7ctl\\fR(1), \\fBudev\\fR(7)\n";
  return s.str();
}

}  // namespace ax7::docs
