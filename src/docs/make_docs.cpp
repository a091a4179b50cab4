// Writes both manual pages (English, and Chinese in zh_CN/) and ax7ctl's bash completion into
// a folder, at build time.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "docs/completion.h"
#include "docs/manual.h"

namespace {

bool writeFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
  out.close();
  if (!out) std::cerr << "make_docs: cannot write " << path << "\n";
  return bool(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::cerr << "usage: make_docs OUT_DIR VERSION UDEV_RULES_DIR UDEV_RULE_FILE\n";
    return 2;
  }
  const std::string dir = argv[1];
  std::ifstream ruleFile(argv[4], std::ios::binary);
  std::ostringstream rule;
  rule << ruleFile.rdbuf();
  if (!ruleFile) {
    std::cerr << "make_docs: cannot read " << argv[4] << "\n";
    return 1;
  }
  const ax7::docs::InstallPaths paths{argv[2], argv[3], rule.str()};
  using ax7::docs::ManualLanguage;
  std::filesystem::create_directories(dir + "/zh_CN");
  const bool ok =
      writeFile(dir + "/ax7ctl.1", ax7::docs::ax7ctlManual(paths, ManualLanguage::English)) &&
      writeFile(dir + "/ax7-control.1", ax7::docs::desktopManual(paths, ManualLanguage::English)) &&
      writeFile(dir + "/zh_CN/ax7ctl.1", ax7::docs::ax7ctlManual(paths, ManualLanguage::Chinese)) &&
      writeFile(dir + "/zh_CN/ax7-control.1",
                ax7::docs::desktopManual(paths, ManualLanguage::Chinese)) &&
      writeFile(dir + "/ax7ctl.bash", ax7::docs::bashCompletion());
  return ok ? 0 : 1;
}
