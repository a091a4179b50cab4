#pragma once
// The texts of remote access, Chinese first.
#include "pages/language.h"

namespace ax7::ui::remote_text {

inline constexpr TextPair kMenu{"远程控制(&R)...", "Remote access(&R)..."};
inline constexpr TextPair kTitle{"远程控制", "Remote access"};
inline constexpr TextPair kSwitch{"开启远程控制（手机和脚本可控制本机）",
                                  "Remote access on (phones and scripts control the box)"};
inline constexpr TextPair kAddress{"地址：", "Address:"};
inline constexpr TextPair kNetwork{"允许局域网内的手机连接", "Allow phones on the local network"};
inline constexpr TextPair kPage{"在手机上打开：", "Open on the phone:"};
inline constexpr TextPair kToken{"令牌：", "Token:"};
inline constexpr TextPair kNewToken{"新令牌", "New token"};
inline constexpr TextPair kClose{"关闭", "Close"};
inline constexpr TextPair kOff{"未开启", "Off"};
inline constexpr TextPair kNoToken{"本机地址无需令牌", "Not needed on this computer's own address"};
inline constexpr TextPair kTokenLater{"开启时生成并保存", "Made and kept when switched on"};
inline constexpr TextPair kScan{"用手机扫描此二维码", "Scan this code with the phone"};

// Why it could not be switched on (the system's own words are the error's tool tip).
inline constexpr TextPair kBadAddress{"地址“%1”应写成 地址:端口，例如 127.0.0.1:8744",
                                      "The address '%1' must be ADDR:PORT, e.g. 127.0.0.1:8744"};
inline constexpr TextPair kNoTokenFile{
    "无法开启：局域网地址需要令牌，但令牌文件 %1 其他用户可读、内容无效或无法读写",
    "Not switched on: a network address needs a token, but the token file %1 can be read by "
    "other users, holds no token or cannot be read or written"};
inline constexpr TextPair kCannotListen{"无法开启：无法在 %1 上监听（端口可能已被占用）",
                                        "Not switched on: cannot listen on %1 (the port may be "
                                        "in use)"};
inline constexpr TextPair kTokenNotMade{"无法生成新令牌：%1", "No new token was made: %1"};

// The box on an MQTT broker (Home Assistant).
inline constexpr TextPair kMqttGroup{"MQTT（Home Assistant）", "MQTT (Home Assistant)"};
inline constexpr TextPair kMqttSwitch{"在 MQTT 服务器上发布本机", "Publish the box on an MQTT broker"};
inline constexpr TextPair kMqttUrl{"服务器：", "Broker:"};
inline constexpr TextPair kMqttUrlHint{"mqtt://[用户名@]主机[:端口] 或 mqtts://...",
                                       "mqtt://[USER@]HOST[:PORT] or mqtts://..."};
inline constexpr TextPair kMqttPassword{"密码：", "Password:"};
inline constexpr TextPair kMqttPasswordKept{"已保存（输入新密码可替换）",
                                            "Kept (type a new one to replace it)"};
inline constexpr TextPair kMqttPasswordNone{"无（用户名写在服务器地址中）",
                                            "None (the user goes in the broker's address)"};
inline constexpr TextPair kMqttCa{"CA 证书：", "CA file:"};
inline constexpr TextPair kMqttCaHint{"mqtts：留空则使用系统的证书",
                                      "mqtts: empty for the system's certificates"};
inline constexpr TextPair kMqttBrowse{"浏览...", "Browse..."};
inline constexpr TextPair kMqttCaFilter{"证书 (*.pem *.crt *.cer);;所有文件 (*)",
                                        "Certificates (*.pem *.crt *.cer);;All files (*)"};
inline constexpr TextPair kMqttClientId{"客户端 ID：", "Client id:"};
inline constexpr TextPair kMqttClientIdHint{"留空则为 ax7-序列号", "Empty: ax7-SERIAL"};
inline constexpr TextPair kMqttPrefix{"主题前缀：", "Topic prefix:"};
inline constexpr TextPair kMqttDiscovery{"发现前缀：", "Discovery prefix:"};
inline constexpr TextPair kMqttState{"状态：", "State:"};

// Where the connection stands.
inline constexpr TextPair kMqttOff{"未开启", "Off"};
inline constexpr TextPair kMqttWaitingForBox{"等待设备连接", "Waiting for the box"};
inline constexpr TextPair kMqttConnecting{"正在连接 %1...", "Connecting to %1..."};
inline constexpr TextPair kMqttConnected{"已连接到 %1", "Connected to %1"};
inline constexpr TextPair kMqttUnreachable{"无法连接服务器：%1 秒后重试",
                                           "Broker unreachable: retrying in %1 s"};
inline constexpr TextPair kMqttBadLogin{"被拒绝：用户名或密码错误",
                                        "Refused: bad user or password"};
inline constexpr TextPair kMqttRefused{"被服务器拒绝：%1", "Refused by the broker: %1"};

// Input that is refused and changes nothing (the library's own words are the tool tip).
inline constexpr TextPair kMqttNoUrl{"请先填写服务器地址", "Type the broker's address first"};
// The address is not repeated: it may hold a password.
inline constexpr TextPair kMqttBadScheme{"服务器地址应以 mqtt:// 或 mqtts:// 开头",
                                         "The broker's address must start with mqtt:// or "
                                         "mqtts://"};
inline constexpr TextPair kMqttPasswordInUrl{"服务器地址中不能含密码：请填在“密码”一栏",
                                             "No password in the broker's address: type it in "
                                             "the Password field"};
inline constexpr TextPair kMqttBadUrl{"服务器地址应写成 mqtt://[用户名@]主机[:端口]",
                                      "The broker's address must be mqtt://[USER@]HOST[:PORT]"};
inline constexpr TextPair kMqttNotStarted{"无法开启 MQTT", "MQTT was not switched on"};
inline constexpr TextPair kMqttPasswordNeedsUser{
    "密码需要用户名：请写成 mqtt://用户名@主机",
    "A password needs a user name: write the broker as mqtt://USER@HOST"};
inline constexpr TextPair kMqttCaNeedsTls{"CA 证书只用于 mqtts:// 服务器",
                                          "A CA file needs an mqtts:// broker"};
inline constexpr TextPair kMqttCaUnreadable{"无法读取 CA 证书文件 %1", "Cannot read the CA file %1"};
inline constexpr TextPair kMqttCaNotPem{"文件 %1 中没有 PEM 格式的证书",
                                        "The file %1 holds no PEM certificate"};
inline constexpr TextPair kMqttBadPrefix{"主题前缀“%1”应为一级或多级，不含 + 或 #，例如 ax7",
                                         "The topic prefix '%1' must be one or more levels "
                                         "without + or #, e.g. ax7"};
inline constexpr TextPair kMqttBadClientId{"客户端 ID 过长", "The client id is too long"};
inline constexpr TextPair kMqttPasswordNotKept{"无法保存密码：%1", "The password was not kept: %1"};
inline constexpr TextPair kMqttPasswordUnsafe{
    "无法开启：密码文件 %1 其他用户可读或无法读取",
    "Not switched on: the password file %1 can be read by other users or cannot be read"};

}  // namespace ax7::ui::remote_text
