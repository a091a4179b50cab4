#include "cli/trace_file.h"

#include <cerrno>
#include <system_error>

#include "cli/json_output.h"

namespace ax7::cli {

TraceFile::~TraceFile() {
  close();
}

bool TraceFile::open(const std::string& path, std::string* error) {
  std::lock_guard lock(mutex_);
  file_ = std::fopen(path.c_str(), "w");
  if (!file_) {
    *error = "cannot write trace file '" + path + "': " + std::generic_category().message(errno);
    return false;
  }
  return true;
}

void TraceFile::close() {
  std::lock_guard lock(mutex_);
  if (file_) std::fclose(file_);
  file_ = nullptr;
}

void TraceFile::written(const Report& report) {
  writeLine("> " + toHex(report.data(), report.size()));
}

void TraceFile::read(const Report& report) {
  writeLine("< " + toHex(report.data(), report.size()));
}

void TraceFile::phase(std::string_view name) {
  writeLine("# " + std::string(name));
}

void TraceFile::writeLine(const std::string& line) {
  std::lock_guard lock(mutex_);
  if (!file_) return;
  std::fputs(line.c_str(), file_);
  std::fputc('\n', file_);
  // Flushed per line, so a trace of a run that ends badly still holds everything before it.
  std::fflush(file_);
}

}  // namespace ax7::cli
