#pragma once
// Remote data files: the 18 bytes of the remote key table in index order, nothing else.
#include <cstddef>
#include <cstdint>
#include <string>

#include "params/atomic_save.h"
#include "remote/remote_keys.h"

namespace ax7::remote {

constexpr const char* kRemoteExtension = "remo";

// The name the file is read from or written to: the extension of the file's own name (the
// text after its last dot) becomes "remo", or ".remo" is added when the name has none. Dots in
// folder names are left alone, so "a.b/keys" is "a.b/keys.remo", not "a.remo".
std::string RemoteFilePath(const std::string& chosen);

// A short file replaces only the bytes it has; bytes past 18 are ignored. Returns how many
// bytes of `keys` were replaced.
size_t ApplyRemoteFileBytes(const uint8_t* data, size_t size, RemoteKeys& keys);

struct RemoteFileResult {
  bool ok = false;
  size_t bytes = 0;     // bytes taken from the file
  int systemError = 0;  // errno of a failed open or read
  std::string reason;   // one English line, empty when ok
};

// Reads the file into `keys` by the rule above; a file that cannot be read (missing, a
// folder, a pipe, no permission) leaves `keys` as they were.
RemoteFileResult ReadRemoteFile(const std::string& path, RemoteKeys& keys);

// Writes the 18 bytes atomically: a failed write leaves an existing file as it was.
SaveOutcome WriteRemoteFile(const std::string& path, const RemoteKeys& keys);

}  // namespace ax7::remote
