#pragma once
// What `ax7ctl doctor` looks at, gathered without opening the box for any report: the USB
// devices in sysfs, the hidraw nodes and who may open them, the installed udev rules and the
// processes holding a node. Every path is read below `root` ("/" on a real system; a prepared
// folder in tests).
#include <sys/types.h>

#include <string>
#include <vector>

namespace ax7::cli {

struct UsbBox {
  std::string sysfsPath;  // as the system names it: /sys/bus/usb/devices/1-2
  int busnum = -1;
  int devnum = -1;
  std::string product;  // the device's own product string, when it has one
};

struct ProcessHolder {
  int pid = 0;
  std::string command;
};

struct HidrawNode {
  std::string devPath;  // as the system names it: /dev/hidraw3
  bool exists = false;
  uid_t uid = 0;
  gid_t gid = 0;
  std::string owner, group;  // names, or the numbers when unknown
  unsigned mode = 0;         // permission bits
  bool hasAcl = false;       // an access list adds to the mode (udev's uaccess)
  int openErrno = 0;         // 0: this user can open it for reading and writing
  std::vector<ProcessHolder> holders;
};

struct RuleFile {
  std::string path;      // as the system names it
  bool ours = false;     // named as this program's rule
  bool matches = false;  // same rule lines as this program's (comments and blanks aside)
};

struct DoctorFacts {
  std::vector<UsbBox> boxes;
  std::vector<HidrawNode> nodes;  // the boxes' hidraw nodes
  // This program's rule file in every rules folder, the one udev uses first; then other rule
  // files that name the box's ids.
  std::vector<RuleFile> rules;
  int processesNotReadable = 0;  // processes of other users whose open files we may not see
};

// The rules folders in the order udev lets a file of the same name win.
std::vector<std::string> udevRuleFolders();

// True when a HID device's uevent text names the box ("HID_ID=0003:00002010:00001031").
bool ueventNamesBox(const std::string& uevent);

// True when both texts hold the same rule lines, comments, blank lines and spacing aside.
bool sameRuleLines(const std::string& a, const std::string& b);

DoctorFacts probeSystem(const std::string& root);

}  // namespace ax7::cli
