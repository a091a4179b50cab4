#pragma once
// Home Assistant's MQTT discovery for one box: retained configs under
// DISCOVERY/<component>/ax7_ID/<object>/config that make the box one device with the entities
// a home-automation user switches (volumes, mutes, pitch, noise gate, mode, music source, the
// outputs' levels and mutes, the echo and reverb levels) and sensors of the live status. Every
// name stays settable through its set topic; only these appear as entities.
#include <string>
#include <vector>

#include "mqtt/topics.h"

namespace ax7::mqtt {

struct DeviceInfo {
  std::string serial;
  std::string model;            // as the box names itself; empty: "AX7"
  std::string softwareVersion;  // empty: left out
};

enum class EntityKind { Number, Switch, Select, Sensor };

struct Entity {
  EntityKind kind;
  std::string object;  // the object id: letters, digits and '_'
  std::string name;    // the value's name for number, switch and select; "" for a sensor
  const char* english;
  const char* chinese;
};

// The exposed entities, in the order the README lists them.
const std::vector<Entity>& Entities();

struct DiscoveryMessage {
  std::string topic;
  std::string payload;  // JSON
};

// Every config of the box; names in Chinese when `chinese`.
std::vector<DiscoveryMessage> DiscoveryConfigs(const std::string& discoveryPrefix,
                                               const BoxTopics& topics, const std::string& boxId,
                                               const DeviceInfo& device, bool chinese);

}  // namespace ax7::mqtt
