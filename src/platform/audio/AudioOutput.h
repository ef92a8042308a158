#pragma once
// The program's one audio output, opened by the main thread: an SDL audio
// device whose callback pulls TheMixer(), or, when no device opens (or the run
// is headless), a silent output that pulls the mixer at the same pace, so
// sounds and music run their course unheard.
#include <string>

namespace platform::audio {

struct OutputState {
  bool device = false;  // an SDL device plays the mix
  std::string reason;   // why not, when the output is silent
};

OutputState OpenOutput();
void CloseOutput();

// Tests render the mix themselves through TheMixer().Render: OpenOutput then
// opens nothing that would pull it meanwhile.
void SetPullOnlyOutputForTesting(bool pullOnly);

}  // namespace platform::audio
