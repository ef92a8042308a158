// The player's entry point: the command line names a stage to start at once.
#include <malloc.h>

#include <string>

#include "app/Program.h"
#include "platform/Harness.h"
#include "platform/glyphs/GlyphSource.h"

int main(int argc, char** argv) {
  // Big buffers freed during loading (decoded bitmaps, temporaries) stay in
  // the heap for the next ones: fresh pages from the system fault in dearly.
  mallopt(M_MMAP_THRESHOLD, 256 << 20);
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
  platform::StartFontSetUp();
  std::string commandLine;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) commandLine += ' ';
    commandLine += argv[i];
  }
  return RunPlayer(commandLine, platform::Harness().showCommand.value_or(1));
}
