#include "library/util/MesBox.h"

#include <cstdarg>
#include <string>

#include "library/draw/Draw.h"
#include "library/util/Log.h"
#include "library/util/MainWindow.h"

int MesBox(std::string_view text, std::string_view caption, UINT type) {
  // Over a full-screen display the box goes through the drawing layer's dialog mode.
  if (bDDInit && !bWindowMode) return DDMesBox(text, caption, type);
  return platform::ShowMessageBox(text, caption, type);
}

int ErrMesBox(std::string_view text) {
  static const std::string caption = Sjis("エラー");
  return MesBox(text, caption, MB_OK);
}

int ErrMesBoxf(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = StrFormatV(format, args);
  va_end(args);
  return ErrMesBox(text);
}

int EcMesBoxf(const char* format, ...) {
  if (!EcLogIsOn()) return 0;
  va_list args;
  va_start(args, format);
  std::string text = StrFormatV(format, args);
  va_end(args);
  return ErrMesBox(text);
}

int ReportError(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = StrFormatV(format, args);
  va_end(args);
  if (!ReportLogEcText(text)) return 0;
  ErrMesBox(text);
  return 1;
}

void ErrOutOfMemory() {
  static const std::string text = Sjis("メモリが不足しています！");
  ErrMesBox(text);
  PostCloseToMainWindow();
}
