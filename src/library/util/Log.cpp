#include "library/util/Log.h"

#include <cstdio>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/Diagnostics.h"
#include "platform/HostPath.h"
#include "platform/Messages.h"

namespace {

// Lines of different threads stay whole and in the order their writes ran.
std::mutex logMutex;

// A line of the report whose text is still being worked out holds back the
// lines written after it, so that every line lands in the order it was written.
struct HeldLine {
  std::uint64_t id = 0;  // 0: an ordinary line, already known
  std::optional<std::string> text;
};

struct ReportState {
  std::string path;
  std::deque<HeldLine> held;
  std::uint64_t lastId = 0;
  std::vector<std::thread> workers;
  ~ReportState() {
    for (std::thread& worker : workers) worker.join();
  }
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

// Writes the held lines whose text is known, up to the first that is not.
void WriteHeldLines() {
  while (!report.held.empty() && report.held.front().text) {
    AppendToExisting(report.path, *report.held.front().text);
    report.held.pop_front();
  }
}

bool WriteReportLine(std::string_view text) {
  if (report.held.empty()) return AppendToExisting(report.path, text);
  report.held.push_back({0, std::string(text)});
  return !report.path.empty();
}

}  // namespace

void ReportLogLater(std::function<std::string()> work) {
  std::lock_guard lock(logMutex);
  const std::uint64_t id = ++report.lastId;
  report.held.push_back({id, std::nullopt});
  report.workers.emplace_back([id, work = std::move(work)] {
    std::string text = work();
    std::lock_guard lock(logMutex);
    for (HeldLine& line : report.held)
      if (line.id == id) line.text = std::move(text);
    WriteHeldLines();
  });
}

void ReportLogWait() {
  std::vector<std::thread> workers;
  {
    std::lock_guard lock(logMutex);
    workers.swap(report.workers);
  }
  for (std::thread& worker : workers) worker.join();
}

int ReportInit(std::string_view path) {
  ReportLogWait();
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
  return WriteReportLine(text) ? 1 : 0;
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
  if (!WriteReportLine(text)) return 0;
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
