#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/output.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  ax7::cli::DescriptorOutput stdoutBuffer(STDOUT_FILENO);
  std::ostream out(&stdoutBuffer);
  return ax7::cli::runCli(args, out, std::cerr);
}
