#pragma once
// The topics of one box on the broker and what the bridge reads from them. Every function here
// is pure: the bridge and the fuzz target share them.
//
//   PREFIX/ID/state/NAME    retained: the value as ax7ctl get prints it; NAME "mode" is M1..M4
//   PREFIX/ID/set/NAME      commands: a value as ax7ctl set takes it; "mode" recalls M1..M4
//   PREFIX/ID/error         {"topic", "error"} for a command that changed nothing
//   PREFIX/ID/status        the live status as JSON, at most once a second
//   PREFIX/ID/availability  retained: online, or offline (also the connection's last will)
//
// ID is the box's serial number with every character but letters, digits, '_' and '-' made
// '_', so no serial can make a topic with wildcards or extra levels.
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "params/param_names.h"
#include "server/json.h"

namespace ax7::mqtt {

// A set payload longer than this is refused unread: no value is near it.
constexpr size_t kMaxCommandBytes = 256;
constexpr std::string_view kModeTopicName = "mode";

// The box's serial as one topic level ("unknown" for a box without one).
std::string BoxId(std::string_view serial);
// A prefix of topics: one or more levels, no wildcards, no empty level. False with the reason.
bool CheckTopicPrefix(std::string_view prefix, std::string* why);

struct BoxTopics {
  std::string base;  // PREFIX/ID

  BoxTopics() = default;
  BoxTopics(std::string_view prefix, std::string_view boxId);
  std::string state(std::string_view name) const;
  std::string set(std::string_view name) const;
  std::string setFilter() const { return base + "/set/+"; }
  std::string error() const { return base + "/error"; }
  std::string status() const { return base + "/status"; }
  std::string availability() const { return base + "/availability"; }
};

// What a message on a set topic asks for.
struct Command {
  enum class Kind {
    Other,   // not a set topic of this box: not answered
    Values,  // the checked name and value, for BoxControl::setValues
    Mode,    // recall box mode 1..4
    Refused  // answered on the error topic, nothing changed
  };
  Kind kind = Kind::Other;
  std::string name;  // the name in the topic
  std::vector<std::pair<std::string, InputValue>> values;
  int mode = 0;
  std::string error;
};

// `retained` is the flag a message carries when the broker delivers it from its store: a
// command kept there would be replayed at every reconnect, so it is refused.
Command ParseCommand(const BoxTopics& topics, std::string_view topic, std::string_view payload,
                     bool retained);

// The payload of a state topic for a value of BoxControl::values(): text as it is, a number as
// JSON writes it.
std::string StateText(const server::Json& value);
// "M1".."M4".
std::string ModeText(int mode);
// The status topic's document: BoxControl::status() with each wireless microphone's RF and
// battery also as a percentage (the bars the window shows, five bars 100 %).
server::Json StatusDocument(const server::Json& status);
// {"topic": topic, "error": why}.
std::string ErrorPayload(std::string_view topic, const std::string& why);

}  // namespace ax7::mqtt
