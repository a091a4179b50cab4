#pragma once
// What ax7ctl reports to the shell; scripts rely on these three values.

namespace ax7::cli {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;  // no box, link failure, box rejected, output not written
constexpr int kExitUsage = 2;    // bad input or usage

}  // namespace ax7::cli
