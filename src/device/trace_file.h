#pragma once
// The --trace file of ax7ctl and ax7-control: one line per report crossing the transport, in
// order ("> " written, "< " read, 122 lowercase hex digits), and "# NAME" when a long operation
// starts. Flushed per line, so the trace of a run that ends badly is complete up to there; the
// first line that could not be written is remembered, so the program can fail instead of
// leaving an incomplete trace unmentioned.
#include <cstdio>
#include <mutex>
#include <string>

#include "device/report_trace.h"

namespace ax7 {

class TraceFile final : public ReportTrace {
 public:
  TraceFile() = default;
  ~TraceFile() override;
  TraceFile(const TraceFile&) = delete;
  TraceFile& operator=(const TraceFile&) = delete;

  // Creates or truncates the file; false with the reason when it cannot.
  bool open(const std::string& path, std::string* error);
  void close();
  // "cannot write trace file 'PATH': reason" for the first write (or the close) that failed
  // since open(); empty while none did.
  std::string error() const;

  void written(const Report& report) override;
  void read(const Report& report) override;
  void phase(std::string_view name) override;

 private:
  void writeLine(const std::string& line);

  void noteFailure(int err);

  mutable std::mutex mutex_;  // the UI, the workers and the reader all report here
  std::FILE* file_ = nullptr;
  std::string path_;
  std::string error_;
};

}  // namespace ax7
