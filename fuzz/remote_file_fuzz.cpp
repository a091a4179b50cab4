// Remote data files: the bytes go into a real file read the way the window and ax7ctl read it.
// Whatever the file holds, at most 18 bytes are taken, exactly those the file has, and the
// rest of the table stays; the name rule never touches the folder part of a path.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "remote/remote_file.h"
#include "scratch_file.h"

namespace {

const std::string& scratchPath() {
  static const ax7::fuzz::ScratchFile file("ax7-fuzz-remo");
  return file.path();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace ax7::remote;
  const std::string& path = scratchPath();
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) std::abort();
  if (size > 0 && std::fwrite(data, 1, size, f) != size) std::abort();
  std::fclose(f);

  RemoteKeys keys;
  keys.fill(0xA5);
  const RemoteFileResult r = ReadRemoteFile(path, keys);
  const size_t taken = std::min(size, keys.size());
  if (!r.ok || r.bytes != taken) std::abort();
  if (!std::equal(data, data + taken, keys.begin())) std::abort();
  if (std::any_of(keys.begin() + long(taken), keys.end(), [](uint8_t b) { return b != 0xA5; }))
    std::abort();

  const std::string chosen(reinterpret_cast<const char*>(data), size);
  const std::string named = RemoteFilePath(chosen);
  const size_t slash = chosen.find_last_of('/');
  const size_t folder = slash == std::string::npos ? 0 : slash + 1;
  if (named.compare(0, folder, chosen, 0, folder) != 0) std::abort();
  if (named.size() < 5 || named.compare(named.size() - 5, 5, ".remo") != 0) std::abort();
  return 0;
}
