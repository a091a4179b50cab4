#pragma once
// What ax7ctl reports to the shell; scripts rely on these three values.

namespace ax7::cli {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;  // no box, link failure, box rejected, output not written
constexpr int kExitUsage = 2;    // bad input or usage

// diff answers a question, as diff(1) does: 0 the same, 1 different, 2 bad input or usage, and
// a box that cannot be read is 3 there rather than the 1 of the other commands.
constexpr int kExitDiffDifferent = 1;
constexpr int kExitDiffTrouble = 3;

}  // namespace ax7::cli
