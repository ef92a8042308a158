#include "library/util/Log.h"

#include <cstdio>
#include <mutex>
#include <string>

#include "platform/Diagnostics.h"
#include "platform/HostPath.h"
#include "platform/Messages.h"

namespace {

// Lines of different threads stay whole and in the order their writes ran.
std::mutex logMutex;

struct ReportState {
  std::string path;
} report;

struct EcState {
  bool created = false;
  int on = 0;
  std::string fileName;
} ec;

// Writes the text and its line end as a text-mode file of the original
// did: every line feed, also one inside the text, is stored as CR LF.
void AppendLine(std::FILE* file, std::string_view text) {
  std::string bytes;
  bytes.reserve(text.size() + 2);
  for (char c : text) {
    if (c == '\n') bytes += '\r';
    bytes += c;
  }
  bytes += "\r\n";
  std::fseek(file, 0, SEEK_END);
  std::fwrite(bytes.data(), 1, bytes.size(), file);
}

// Appends one line to an existing file; false when it cannot be opened.
bool AppendToExisting(const std::string& path, std::string_view text) {
  if (path.empty()) return false;
  std::FILE* file = platform::OpenFile(path, "r+b");
  if (!file) return false;
  AppendLine(file, text);
  std::fclose(file);
  return true;
}

int EcWrite(std::string_view text) {
  if (!ec.on) return 0;
  std::FILE* file = nullptr;
  if (!ec.created) {
    file = platform::OpenFile(ec.fileName, "wb");
    ec.created = true;
  } else {
    file = platform::OpenFile(ec.fileName, "r+b");
  }
  if (!file) return 0;
  AppendLine(file, text);
  std::fclose(file);
  return 1;
}

}  // namespace

int ReportInit(std::string_view path) {
  std::FILE* file = platform::OpenFile(path, "wb");
  if (!file) return 0;
  std::fclose(file);
  {
    std::lock_guard lock(logMutex);
    report.path = path;
  }
  platform::SetDiagnosticSink([](std::string_view line) { ReportLogText(line); });
  return 1;
}

int ReportLogText(std::string_view text) {
  std::lock_guard lock(logMutex);
  return AppendToExisting(report.path, text) ? 1 : 0;
}

int ReportLog(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = StrFormatV(format, args);
  va_end(args);
  return ReportLogText(text);
}

int ReportLogEc(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = StrFormatV(format, args);
  va_end(args);
  return ReportLogEcText(text);
}

int ReportLogEcText(std::string_view text) {
  std::lock_guard lock(logMutex);
  if (!AppendToExisting(report.path, text)) return 0;
  EcWrite(text);
  return 1;
}

void EcLogInit(int on, std::string_view fileName) {
  std::lock_guard lock(logMutex);
  ec.on = on;
  ec.fileName = fileName;
}

bool EcLogIsOn() {
  std::lock_guard lock(logMutex);
  return ec.on != 0;
}

int EcLog(std::string_view text) {
  std::lock_guard lock(logMutex);
  return EcWrite(text);
}

int EcLogStr(std::string_view text) { return EcLog(text); }

void EcLogf(const char* format, ...) {
  if (!EcLogIsOn()) return;
  va_list args;
  va_start(args, format);
  std::string text = StrFormatV(format, args);
  va_end(args);
  EcLog(text);
}

void EcLogFatal(HWND window, const char* format, ...) {
  if (EcLogIsOn()) {
    va_list args;
    va_start(args, format);
    std::string text = StrFormatV(format, args);
    va_end(args);
    EcLog(text);
  }
  PostMessage(window, WM_CLOSE, 0, 0);
}
