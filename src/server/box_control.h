#pragma once
// What the server needs from "the box": read values and status by name, apply checked values,
// recall and save modes, move mode files and EQ sets. ax7ctl serve and the desktop program each
// give one; the server never touches the parameter memory itself.
//
// Every call may come from a thread of the server at any time and must not wait for the box:
// edits are stored and queued, as the window's are.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "eqx/filters.h"
#include "params/param_names.h"
#include "server/json.h"

namespace ax7::server {

// The result of an operation: an HTTP status (200 done, 400 refused input, 409 the box is
// busy, 503 no box, 500 the computer failed) and the document to answer with; for a failure
// {"error": "..."}.
struct Outcome {
  int status = 200;
  Json body = Json::object();

  bool ok() const { return status == 200; }
  static Outcome failure(int status, const std::string& error) {
    Outcome o;
    o.status = status;
    o.body["error"] = error;
    return o;
  }
};

class BoxControl {
 public:
  virtual ~BoxControl() = default;

  // The box is open, read and checked: values and status mean something, edits are taken.
  virtual bool connected() = 0;
  // Box mode 1..4 the box plays.
  virtual int mode() = 0;
  // Every name and its value in display units (params/param_names.h), in the table's order.
  virtual Json values() = 0;
  // The live status (server/state_json.h statusJson).
  virtual Json status() = 0;

  // Checks every pair first (names, types, ranges, what the box holds); on the first bad one
  // nothing is applied. Done: {"applied": {NAME: value}}.
  virtual Outcome setValues(const std::vector<std::pair<std::string, InputValue>>& pairs) = 0;
  // Box mode 1..4: recall it (the box's settings are read again), or store what plays now in it.
  virtual Outcome recallMode(int mode) = 0;
  virtual Outcome saveMode(int mode) = 0;
  // The box's settings as a mode file.
  virtual Outcome modeFile(std::vector<uint8_t>* bytes) = 0;
  // Makes the box's settings those of the mode file by sending only what differs, after a
  // snapshot of what it held.
  virtual Outcome writeModeFile(const std::vector<uint8_t>& bytes) = 0;
  // One EQ set (0..14) as a file of another program.
  virtual Outcome exportEq(int set, eqx::Format format, std::string* text) = 0;
  // Maps a file's filters onto an EQ set and sends it, after a snapshot; the import report.
  virtual Outcome importEq(int set, const std::string& text, eqx::Format format) = 0;

  // Called about ten times a second from the server's thread (the status poll of ax7ctl serve).
  virtual void tick() {}
};

}  // namespace ax7::server
