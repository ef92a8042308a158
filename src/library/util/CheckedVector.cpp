#include "library/util/CheckedVector.h"

#include <string>

#include "library/util/Log.h"
#include "library/util/MainWindow.h"
#include "library/util/Text.h"

void ReportBadIndex(char kind, int index, int size, int elementSize) {
  std::string text;
  StrFormat(text, kind == 'L' ? "err L[%d] ( %d , %d )" : "err V[%d] ( %d , %d )", index, size, elementSize);
  EcLog(text);
  ReportLogText(text);
  PostCloseToMainWindow();
}
