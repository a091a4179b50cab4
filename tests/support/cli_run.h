#pragma once
// ax7ctl run in the test's own process, and the small file and text helpers its tests share.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "cli/command.h"

namespace ax7::test {

struct CliRun {
  int code;
  std::string out, err;
};

inline CliRun ax7ctl(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  const int code = ax7::cli::runCli(args, out, err);
  return {code, out.str(), err.str()};
}

inline std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

inline std::vector<uint8_t> readBytes(const std::filesystem::path& p) {
  std::ifstream f(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

inline void writeBytes(const std::filesystem::path& p, const std::vector<uint8_t>& bytes) {
  std::ofstream f(p, std::ios::binary);
  f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

}  // namespace ax7::test
