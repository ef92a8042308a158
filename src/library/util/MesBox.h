#pragma once
// Message boxes for the user, error boxes with the caption "エラー", and the
// out-of-memory exit. Texts are CP932; a formatted text is shown unchanged,
// however long.
#include <string_view>

#include "library/util/Text.h"
#include "platform/MessageBox.h"

int MesBox(std::string_view text, std::string_view caption, UINT type);
int ErrMesBox(std::string_view text);
int ErrMesBoxf(const char* format, ...) ZANDREL_PRINTF(1, 2);
// Shown only while the second log is on (never, in this program).
int EcMesBoxf(const char* format, ...) ZANDREL_PRINTF(1, 2);
// Writes the line like ReportLogEc, then shows it in an error box; 0 and no
// box when the report log cannot be opened.
int ReportError(const char* format, ...) ZANDREL_PRINTF(1, 2);
// Tells the user, then asks the main window to close.
void ErrOutOfMemory();
