// The file-level readers (the desktop program's mode-file loading and ax7ctl's input): the
// bytes are put in a real file and read through the same calls the programs make, with the
// size limit, so a reader that trusts the file's size or its end is caught.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "cli/mode_file_io.h"
#include "params/defaults.h"
#include "params/file_read.h"
#include "params/mode_file.h"
#include "scratch_file.h"

namespace {

const std::string& scratchPath() {
  static const ax7::fuzz::ScratchFile file("ax7-fuzz-input");
  return file.path();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& path = scratchPath();
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) std::abort();
  if (size > 0 && std::fwrite(data, 1, size, f) != size) std::abort();
  std::fclose(f);

  // The reader with a limit taken from the input itself.
  const size_t limit = size > 0 ? data[0] * 16u : 0;
  const ax7::InputFile in = ax7::ReadInputFile(path, limit);
  if (!in.ok || in.bytes.size() != std::min(size, limit) || in.truncated != (size > limit)) {
    std::abort();
  }

  // The desktop program's loader reads no more than a mode file and agrees with the byte
  // loader on what it read.
  auto fresh = [] {
    auto m = std::make_unique<ax7::ParameterMemory>();
    ax7::InitParameterMemory(*m);
    return m;
  };
  const auto fileMemory = fresh(), bytesMemory = fresh(), cliMemory = fresh();
  ax7::ParameterMemory& viaFile = *fileMemory;
  ax7::ParameterMemory& viaBytes = *bytesMemory;
  const ax7::ModeFileResult r = ax7::LoadModeFile(viaFile, path);
  const ax7::ModeFileResult b =
      ax7::LoadModeFileBytes(viaBytes, data, std::min(size, size_t(ax7::kModeFileSize)));
  if (r.ok != b.ok || r.ok != r.error.empty()) std::abort();
  if (ax7::ModeFileBytes(viaFile) != ax7::ModeFileBytes(viaBytes)) std::abort();

  ax7::ParameterMemory& viaCli = *cliMemory;
  int version = 0;
  std::string error;
  if (ax7::cli::loadModeInput(path, viaCli, &version, &error) != error.empty()) std::abort();
  return 0;
}
