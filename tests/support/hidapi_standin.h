#pragma once
// A scripted stand-in for the hidapi C library, linked instead of it in tests of the hidapi
// backend. Interfaces are listed by path; each open gets a handle of its own; reads take
// scripted results per path (or wait until something is scripted or the time-out ends); every
// call is counted, and a handle used or closed while a read on it is still running is recorded
// as a misuse.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace ax7::test::hidapi {

struct Interface {
  std::string path;  // empty: hidapi lists an entry without a path
  uint16_t vendorId = 0;
  uint16_t productId = 0;
  int interfaceNumber = 0;
  std::wstring serial;  // empty: hidapi gives no serial number
};

struct ReadResult {
  int result = 0;              // bytes, 0 (nothing within the time-out) or -1
  std::vector<uint8_t> bytes;  // the first `result` bytes are delivered
};

struct Counters {
  int init = 0;
  int enumerate = 0;
  int freeEnumeration = 0;
  int opens = 0;   // successful hid_open_path calls
  int closes = 0;  // hid_close calls on open handles
  int writes = 0;
  int readsRunning = 0;                 // hid_read_timeout calls not returned yet
  std::vector<std::string> misuse;      // what was done wrong, in order
  std::vector<std::string> openedPaths; // successful opens, in order
};

// Starts from nothing: no interfaces, no scripts, counters at zero.
void reset();
void setInterfaces(std::vector<Interface> interfaces);
// Called inside hid_enumerate after the list was copied (a box arriving half-way).
void onEnumerate(std::function<void()> fn);
// hid_open_path on this path succeeds `after` more times, then fails `times` calls (-1: always).
void failOpen(const std::string& path, int times, int after = 0);
// The next read on any handle of `path` returns this.
void pushRead(const std::string& path, ReadResult read);
// Reads on `path` wait (up to their time-out) until released; the count of reads waiting now.
void holdReads(const std::string& path, bool hold);
int readsWaiting(const std::string& path);
// hid_write on `path` returns this from now on (default: the length).
void setWriteResult(const std::string& path, int result);
Counters counters();
// Bytes written to `path`, one entry per call.
std::vector<std::vector<uint8_t>> written(const std::string& path);

}  // namespace ax7::test::hidapi
