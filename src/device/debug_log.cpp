#include "device/debug_log.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>

namespace ax7 {

namespace {
std::mutex g_logMutex;
std::function<void(std::string_view)> g_sink;
const bool g_toStderr = std::getenv("AX7_DEBUG") != nullptr;
}  // namespace

void DebugLog(std::string_view text) {
  std::lock_guard lock(g_logMutex);
  if (g_sink) {
    g_sink(text);
  } else if (g_toStderr) {
    std::fwrite(text.data(), 1, text.size(), stderr);
    if (text.empty() || text.back() != '\n') std::fputc('\n', stderr);
  }
}

void SetDebugLogSink(std::function<void(std::string_view)> sink) {
  std::lock_guard lock(g_logMutex);
  g_sink = std::move(sink);
}

}  // namespace ax7
