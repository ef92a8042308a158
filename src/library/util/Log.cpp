#include "library/util/Log.h"

#include <cstdio>
#include <mutex>
#include <string>

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

bool AppendLine(std::FILE* file, std::string_view text) {
  std::fseek(file, 0, SEEK_END);
  bool ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  ok = std::fwrite("\r\n", 1, 2, file) == 2 && ok;
  return ok;
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

std::string FormatV(const char* format, va_list args) {
  std::string text;
  StrAppendFormatV(text, format, args);
  return text;
}

}  // namespace

int ReportInit(std::string_view path) {
  std::FILE* file = platform::OpenFile(path, "wb");
  if (!file) return 0;
  std::fclose(file);
  std::lock_guard lock(logMutex);
  report.path = path;
  return 1;
}

int ReportLogText(std::string_view text) {
  std::lock_guard lock(logMutex);
  return AppendToExisting(report.path, text) ? 1 : 0;
}

int ReportLog(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = FormatV(format, args);
  va_end(args);
  return ReportLogText(text);
}

int ReportLogEc(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = FormatV(format, args);
  va_end(args);
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
  std::string text = FormatV(format, args);
  va_end(args);
  EcLog(text);
}

void EcLogFatal(HWND window, const char* format, ...) {
  if (EcLogIsOn()) {
    va_list args;
    va_start(args, format);
    std::string text = FormatV(format, args);
    va_end(args);
    EcLog(text);
  }
  PostMessage(window, WM_CLOSE, 0, 0);
}
