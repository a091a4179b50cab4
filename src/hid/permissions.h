#pragma once
// What to tell the user when a box is present but this user may not open it: install the udev
// rule that grants the desktop user access and make udev apply it to the box already plugged in.
#include <string>

namespace ax7 {

inline constexpr const char* kUdevRuleFile = "70-ax7-control.rules";
inline constexpr const char* kUdevInstallCommand =
    "sudo cp 70-ax7-control.rules /etc/udev/rules.d/ && sudo udevadm control --reload-rules && "
    "sudo udevadm trigger";

// One line for the console or a message box (UTF-8); language 0 Chinese, 1 English.
inline std::string permissionAdvice(int language) {
  const std::string command = kUdevInstallCommand;
  if (language == 0) {
    return "已找到设备，但当前用户没有权限打开它。请安装 udev 规则：" + command +
           "\n运行 ax7ctl doctor 可查看缺少什么。";
  }
  return "The box is connected but this user may not open it. Install the udev rule: " + command +
         "\nRun ax7ctl doctor to see what is missing.";
}

}  // namespace ax7
