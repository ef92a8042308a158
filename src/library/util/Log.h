#pragma once
// The report log ("Report_Game.txt", always on) and the switchable second log.
// Every line is one complete open, append and close, CP932 text ended by CR LF.
#include <functional>
#include <string>
#include <string_view>

#include "library/util/Text.h"
#include "platform/WinTypes.h"

// Creates (or empties) the report log and makes it the place where the
// platform layer's lines go too.
int ReportInit(std::string_view path);
int ReportLog(const char* format, ...) ZANDREL_PRINTF(1, 2);
// The line goes to the report log and, unchanged, to the second log.
int ReportLogEc(const char* format, ...) ZANDREL_PRINTF(1, 2);
// Write an already finished text unchanged ("%" is not a conversion).
int ReportLogText(std::string_view text);
int ReportLogEcText(std::string_view text);
// Writes a line whose text `work` works out on a thread of its own: the line
// keeps its place, and the lines written after it wait until it is known.
void ReportLogLater(std::function<std::string()> work);
// Waits until every line of ReportLogLater is written.
void ReportLogWait();

void EcLogInit(int on, std::string_view fileName);
bool EcLogIsOn();
int EcLog(std::string_view text);
int EcLogStr(std::string_view text);
void EcLogf(const char* format, ...) ZANDREL_PRINTF(1, 2);
// Logs like EcLogf and always posts WM_CLOSE to the window.
void EcLogFatal(HWND window, const char* format, ...) ZANDREL_PRINTF(2, 3);
