#pragma once
// Lines the platform layer has to report (a name it had to skip, what a
// headless box answered). They go to the program's report log once it exists
// (the logs install the sink), to stderr before that.
#include <functional>
#include <string_view>

namespace platform {

// The line is CP932 text without its line end.
using DiagnosticSink = std::function<void(std::string_view line)>;
void SetDiagnosticSink(DiagnosticSink sink);
void Diagnostic(std::string_view line);

}  // namespace platform
