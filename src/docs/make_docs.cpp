// Writes the manual pages (English, and Chinese in zh_CN/) and ax7ctl's bash completion into a
// folder, at build time.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "docs/completion.h"
#include "docs/manual.h"
#include "docs/params_page.h"
#include "docs/script_page.h"

namespace {

bool writeFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
  out.close();
  if (!out) std::cerr << "make_docs: cannot write " << path << "\n";
  return bool(out);
}

std::string readText(const char* path, bool* ok) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  if (!file) {
    std::cerr << "make_docs: cannot read " << path << "\n";
    *ok = false;
  }
  return text.str();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 6) {
    std::cerr << "usage: make_docs OUT_DIR VERSION UDEV_RULES_DIR UDEV_RULE_FILE README\n";
    return 2;
  }
  const std::string dir = argv[1];
  bool read = true;
  const std::string rule = readText(argv[4], &read);
  const std::string readme = readText(argv[5], &read);
  if (!read) return 1;
  const ax7::docs::InstallPaths paths{argv[2], argv[3], rule};
  using ax7::docs::ManualLanguage;
  std::string error;
  const std::string scriptPage =
      ax7::docs::scriptManual(readme, paths.version, ManualLanguage::English, &error);
  if (scriptPage.empty()) {
    std::cerr << "make_docs: " << argv[5] << ": " << error << "\n";
    return 1;
  }
  std::filesystem::create_directories(dir + "/zh_CN");
  const bool ok =
      writeFile(dir + "/ax7ctl.1", ax7::docs::ax7ctlManual(paths, ManualLanguage::English)) &&
      writeFile(dir + "/ax7-control.1", ax7::docs::desktopManual(paths, ManualLanguage::English)) &&
      writeFile(dir + "/ax7-control-script.7", scriptPage) &&
      writeFile(dir + "/zh_CN/ax7ctl.1", ax7::docs::ax7ctlManual(paths, ManualLanguage::Chinese)) &&
      writeFile(dir + "/zh_CN/ax7-control.1",
                ax7::docs::desktopManual(paths, ManualLanguage::Chinese)) &&
      writeFile(dir + "/zh_CN/ax7-control-script.7",
                ax7::docs::scriptManual(readme, paths.version, ManualLanguage::Chinese, &error)) &&
      writeFile(dir + "/ax7ctl.bash", ax7::docs::bashCompletion()) &&
      writeFile(dir + "/params.md", ax7::docs::paramsPage());
  return ok ? 0 : 1;
}
