// The player's entry point: the command line names a stage to start at once.
#include <string>

#include "app/Program.h"
#include "platform/Harness.h"

int main(int argc, char** argv) {
  std::string commandLine;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) commandLine += ' ';
    commandLine += argv[i];
  }
  return RunPlayer(commandLine, platform::Harness().showCommand.value_or(1));
}
