#pragma once
// The open and save file dialogs with the program's fixed choices, on the
// overlay toolkit's file chooser. Paths come back absolute, in CP932 with '/'
// separators, which the path bridge accepts; the working folder never changes.
#include <string>
#include <vector>

#include "platform/WinTypes.h"

// filter: pairs of NUL-terminated display text and pattern ("*.a;*.b"), ended by an empty string.
// 1 with the chosen file, 0 when cancelled or the choice does not fit the buffer.
// With severalFiles, several files of one folder may be chosen: the buffer then
// holds the folder and each name, NUL-separated, and results gets each as
// folder\name; one file is its full path in both.
int OpenFileDialog(HWND owner, char* buffer, int bufferSize, const char* initialFolder, const char* title,
                   const char* filter, const char* defaultExtension, bool severalFiles,
                   std::vector<std::string>* results);
// buffer holds MAX_PATH bytes; with keep set, its name is offered first.
// Saving asks before replacing a file and does not ask for one that exists.
int SaveFileDialog(HWND owner, char* buffer, const char* initialFolder, const char* title, const char* filter,
                   const char* defaultExtension, bool keep);
