// Which box mode a mode file is meant for, from its name alone.
#include <string>

#include "params/mode_file.h"

namespace ax7 {

int BoxModeFromFileName(const std::string& path) {
  size_t slash = path.find_last_of('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  size_t dot = name.rfind('.');
  // ".px44t" alone keeps its whole name rather than becoming empty.
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  if (name.size() < 2 || (name[0] != 'm' && name[0] != 'M')) return -1;
  char digit = name[1];
  return digit >= '1' && digit <= '4' ? digit - '1' : -1;
}

}  // namespace ax7
