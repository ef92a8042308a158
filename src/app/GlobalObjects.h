#pragma once
// The program's long-lived data objects, built in one explicit sequence before
// the program starts and destroyed in the reverse order after it ends. Plain
// flags, the threads and the library's tables need no construction of their own.
#include "records/LoadContext.h"

void CreateGlobalObjects();
// Harmless when nothing (or only part) was created.
void DestroyGlobalObjects();

// The load context of the running project: database sizes, the common
// palette, the test-play and flow switches. Rebuilt whenever one changes.
const cLoadContext& PlayerContext();
void RefreshPlayerContext();
