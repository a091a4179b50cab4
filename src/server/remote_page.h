#pragma once
// The remote page, compiled into the program from resources/web/: nothing is read from disk.
#include <string_view>

namespace ax7::server {

std::string_view RemotePage();

}  // namespace ax7::server
