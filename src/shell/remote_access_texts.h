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

}  // namespace ax7::ui::remote_text
