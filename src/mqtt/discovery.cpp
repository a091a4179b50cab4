#include "mqtt/discovery.h"

#include "server/state_json.h"

namespace ax7::mqtt {

namespace {

using server::Json;

// The music source word's codes, as the music source window names them.
const char* const kMusicSources[] = {"SPDIF", "COAXIAL", "HDMI", "Bluetooth", "AUX", "AUX2"};

std::string objectOf(std::string name) {
  for (char& c : name) {
    if (c == '.') c = '_';
  }
  return name;
}

std::vector<Entity> makeEntities() {
  std::vector<Entity> list;
  auto value = [&](EntityKind kind, const std::string& name, const char* en, const char* zh) {
    list.push_back({kind, objectOf(name), name, en, zh});
  };
  using K = EntityKind;
  value(K::Select, std::string(kModeTopicName), "Mode", "模式");
  value(K::Number, "music.volume", "Music volume", "音乐音量");
  value(K::Switch, "music.mute", "Music mute", "音乐静音");
  value(K::Select, "music.source", "Music source", "音乐输入源");
  value(K::Number, "music.pitch", "Music pitch", "音乐变调");
  value(K::Number, "music.noise_gate", "Music noise gate", "音乐噪声门");
  value(K::Number, "mic.volume", "Microphone volume", "话筒音量");
  value(K::Switch, "mic.mute", "Microphone mute", "话筒静音");
  static const char* const kMicEn[] = {"Microphone 1 volume", "Microphone 2 volume",
                                       "Microphone 3 volume", "Microphone 4 volume"};
  static const char* const kMicZh[] = {"话筒1音量", "话筒2音量", "话筒3音量", "话筒4音量"};
  for (int i = 0; i < 4; ++i) {
    value(K::Number, "mic" + std::to_string(i + 1) + ".volume", kMicEn[i], kMicZh[i]);
  }
  value(K::Number, "effect.volume", "Effect volume", "效果音量");
  value(K::Number, "echo.volume", "Echo volume", "回声音量");
  value(K::Switch, "echo.mute", "Echo mute", "回声静音");
  value(K::Number, "echo_a.level", "Echo A level", "回声A电平");
  value(K::Number, "echo_b.level", "Echo B level", "回声B电平");
  value(K::Number, "reverb.volume", "Reverb volume", "混响音量");
  value(K::Switch, "reverb.mute", "Reverb mute", "混响静音");
  value(K::Number, "reverb_a.level", "Reverb A level", "混响A电平");
  value(K::Number, "reverb_b.level", "Reverb B level", "混响B电平");
  static const char* const kOutLevelEn[] = {"Output 1 level", "Output 2 level", "Output 3 level",
                                            "Output 4 level", "Output 5 level", "Output 6 level",
                                            "Output 7 level", "Output 8 level"};
  static const char* const kOutLevelZh[] = {"输出1电平", "输出2电平", "输出3电平", "输出4电平",
                                            "输出5电平", "输出6电平", "输出7电平", "输出8电平"};
  static const char* const kOutMuteEn[] = {"Output 1 mute", "Output 2 mute", "Output 3 mute",
                                           "Output 4 mute", "Output 5 mute", "Output 6 mute",
                                           "Output 7 mute", "Output 8 mute"};
  static const char* const kOutMuteZh[] = {"输出1静音", "输出2静音", "输出3静音", "输出4静音",
                                           "输出5静音", "输出6静音", "输出7静音", "输出8静音"};
  for (int i = 0; i < 8; ++i) {
    const std::string out = "out" + std::to_string(i + 1);
    value(K::Number, out + ".level", kOutLevelEn[i], kOutLevelZh[i]);
    value(K::Switch, out + ".mute", kOutMuteEn[i], kOutMuteZh[i]);
  }
  auto sensor = [&](const char* object, const char* en, const char* zh) {
    list.push_back({K::Sensor, object, "", en, zh});
  };
  sensor("music_format", "Music format", "音乐格式");
  sensor("mic_wireless1_battery", "Wireless microphone 1 battery", "无线话筒1电量");
  sensor("mic_wireless1_rf", "Wireless microphone 1 RF", "无线话筒1射频");
  sensor("mic_wireless2_rf", "Wireless microphone 2 RF", "无线话筒2射频");
  sensor("mic1_level", "Microphone 1 level", "话筒1电平");
  sensor("mic2_level", "Microphone 2 level", "话筒2电平");
  sensor("mic3_level", "Microphone 3 level", "话筒3电平");
  sensor("mic4_level", "Microphone 4 level", "话筒4电平");
  sensor("music_left_level", "Music left level", "音乐左声道电平");
  sensor("music_right_level", "Music right level", "音乐右声道电平");
  return list;
}

// The status document's member a sensor shows, as a template of Home Assistant.
struct SensorSource {
  const char* object;
  const char* valueTemplate;
  const char* unit;  // nullptr: none
  const char* deviceClass;
};
const SensorSource kSensorSources[] = {
    {"music_format", "{{ value_json.music_format }}", nullptr, nullptr},
    {"mic_wireless1_battery", "{{ value_json.wireless[0].battery_percent }}", "%", "battery"},
    {"mic_wireless1_rf", "{{ value_json.wireless[0].rf_percent }}", "%", nullptr},
    {"mic_wireless2_rf", "{{ value_json.wireless[1].rf_percent }}", "%", nullptr},
    {"mic1_level", "{{ value_json.mic_levels[0] }}", nullptr, nullptr},
    {"mic2_level", "{{ value_json.mic_levels[1] }}", nullptr, nullptr},
    {"mic3_level", "{{ value_json.mic_levels[2] }}", nullptr, nullptr},
    {"mic4_level", "{{ value_json.mic_levels[3] }}", nullptr, nullptr},
    {"music_left_level", "{{ value_json.music_levels[0] }}", nullptr, nullptr},
    {"music_right_level", "{{ value_json.music_levels[1] }}", nullptr, nullptr},
};

const char* componentName(EntityKind kind) {
  switch (kind) {
    case EntityKind::Number: return "number";
    case EntityKind::Switch: return "switch";
    case EntityKind::Select: return "select";
    case EntityKind::Sensor: return "sensor";
  }
  return "sensor";
}

// A Jinja mapping between the codes on the topics and the option names Home Assistant shows.
std::string sourceTemplate(bool toName) {
  std::string t = "{{ {";
  for (size_t i = 0; i < std::size(kMusicSources); ++i) {
    if (i > 0) t += ", ";
    const std::string code = "'" + std::to_string(i) + "'";
    const std::string name = std::string("'") + kMusicSources[i] + "'";
    t += toName ? code + ": " + name : name + ": " + code;
  }
  return t + "}[value] }}";
}

}  // namespace

const std::vector<Entity>& Entities() {
  static const std::vector<Entity> list = makeEntities();
  return list;
}

std::vector<DiscoveryMessage> DiscoveryConfigs(const std::string& discoveryPrefix,
                                               const BoxTopics& topics, const std::string& boxId,
                                               const DeviceInfo& device, bool chinese) {
  const std::string node = "ax7_" + boxId;
  Json dev = Json::object();
  dev["identifiers"] = Json::array({node});
  dev["name"] = "AX7 (" + (device.serial.empty() ? boxId : device.serial) + ")";
  dev["model"] = device.model.empty() ? "AX7" : device.model;
  if (!device.softwareVersion.empty()) dev["sw_version"] = device.softwareVersion;

  std::vector<DiscoveryMessage> out;
  for (const Entity& e : Entities()) {
    Json c = Json::object();
    c["name"] = chinese ? e.chinese : e.english;
    c["unique_id"] = node + "_" + e.object;
    c["object_id"] = node + "_" + e.object;
    c["availability_topic"] = topics.availability();
    if (e.kind == EntityKind::Sensor) {
      c["state_topic"] = topics.status();
      for (const SensorSource& s : kSensorSources) {
        if (e.object != s.object) continue;
        c["value_template"] = s.valueTemplate;
        if (s.unit) c["unit_of_measurement"] = s.unit;
        if (s.deviceClass) c["device_class"] = s.deviceClass;
        if (s.unit) c["state_class"] = "measurement";
      }
    } else {
      c["state_topic"] = topics.state(e.name);
      c["command_topic"] = topics.set(e.name);
    }
    if (e.kind == EntityKind::Select) {
      Json options = Json::array();
      if (e.name == kModeTopicName) {
        for (int m = 1; m <= 4; ++m) options.push_back(ModeText(m));
      } else {
        for (const char* s : kMusicSources) options.push_back(s);
        c["value_template"] = sourceTemplate(true);
        c["command_template"] = sourceTemplate(false);
      }
      c["options"] = options;
    } else if (e.kind == EntityKind::Switch) {
      c["payload_on"] = "1";
      c["payload_off"] = "0";
      c["state_on"] = "1";
      c["state_off"] = "0";
    } else if (e.kind == EntityKind::Number) {
      const ParamName* n = FindParamName(e.name);
      if (!n) continue;
      c["min"] = server::plainJson(n->minimum);
      c["max"] = server::plainJson(n->maximum);
      c["step"] = server::plainJson(n->step > 0 ? n->step : 1);
      c["mode"] = "slider";
      const std::string unit = n->unit;
      if (unit != "steps" && !unit.empty()) c["unit_of_measurement"] = unit;
    }
    c["device"] = dev;
    out.push_back({discoveryPrefix + "/" + componentName(e.kind) + "/" + node + "/" + e.object +
                       "/config",
                   server::dumpJson(c)});
  }
  return out;
}

}  // namespace ax7::mqtt
