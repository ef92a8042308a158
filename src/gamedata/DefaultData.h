#pragma once
// The first run of a project that holds only its default\ folder: data\ is
// made from it, after the user agreed. Start-up then creates the fixed folders.
#include <functional>

#include "platform/WinTypes.h"

// Asks the user whether the default data may be copied; true for Yes.
using DefaultDataQuestion = std::function<bool(HWND owner)>;
// The question as a Yes/No message box.
bool AskCreateDefaultData(HWND owner);

// 1 when data\ exists or was just made from default\; 0 when it is missing and
// cannot or may not be made. The copy goes to a temporary folder first and is
// renamed into place, so an interrupted copy never leaves a half data\ folder.
int CreateDefaultData(HWND owner, const DefaultDataQuestion& ask = AskCreateDefaultData);

// Creates every folder of FolderList in order; existing folders are no error.
void CreateFolderList();
