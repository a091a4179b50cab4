#pragma once
// docs/params.md: the public names of the settings, made from the names table, so the list in
// the repository is the list the programs know (a test keeps the file current).
#include <string>

namespace ax7::docs {

std::string paramsPage();

}  // namespace ax7::docs
