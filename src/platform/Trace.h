#pragma once
// The harness's trace (ZANDREL_TRACE=FILE): one line per event that a test
// checks but no frame shows. Lines of every thread are appended whole, in the
// order they were written; without the variable nothing is written.
#include <string_view>

namespace platform {

bool TraceOn();
void TraceLine(std::string_view line);
// Called as the last frame of ZANDREL_FRAMES is handed over: later lines are
// dropped, so that a trace's tail never depends on how far the threads ran on.
void EndTrace();
// Lines are written again (tests that hand over frames more than once).
void RestartTraceForTesting();

}  // namespace platform
