#include "platform/Diagnostics.h"

#include <cstdio>
#include <string>

#include "platform/Hook.h"
#include "platform/TextCodec.h"

namespace platform {
namespace {

Hook<DiagnosticSink> diagnosticSink;

}  // namespace

void SetDiagnosticSink(DiagnosticSink sink) { diagnosticSink.Set(std::move(sink)); }

void Diagnostic(std::string_view line) {
  if (DiagnosticSink sink = diagnosticSink.Get()) {
    sink(line);
  } else {
    std::string text = Cp932ToUtf8(line);
    std::fprintf(stderr, "%s\n", text.c_str());
  }
}

}  // namespace platform
