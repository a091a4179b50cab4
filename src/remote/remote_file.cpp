#include "remote/remote_file.h"

#include <algorithm>

#include "params/file_read.h"

namespace ax7::remote {

std::string RemoteFilePath(const std::string& chosen) {
  const size_t slash = chosen.find_last_of('/');
  const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  const size_t dot = chosen.rfind('.');
  // A dot that opens the name (".keys") names a hidden file rather than an extension.
  if (dot == std::string::npos || dot <= nameStart) return chosen + "." + kRemoteExtension;
  return chosen.substr(0, dot + 1) + kRemoteExtension;
}

size_t ApplyRemoteFileBytes(const uint8_t* data, size_t size, RemoteKeys& keys) {
  const size_t n = std::min(size, keys.size());
  if (n > 0) std::copy_n(data, n, keys.begin());
  return n;
}

RemoteFileResult ReadRemoteFile(const std::string& path, RemoteKeys& keys) {
  RemoteFileResult result;
  const InputFile in = ReadInputFile(path, keys.size());
  if (!in.ok) {
    result.systemError = in.systemError;
    result.reason = in.reason;
    return result;
  }
  result.ok = true;
  result.bytes = ApplyRemoteFileBytes(in.bytes.data(), in.bytes.size(), keys);
  return result;
}

SaveOutcome WriteRemoteFile(const std::string& path, const RemoteKeys& keys) {
  return SaveFileAtomically(path, keys.data(), keys.size());
}

}  // namespace ax7::remote
