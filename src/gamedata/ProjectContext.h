#pragma once
// The load context of a project outside a running player (tools, tests): the
// sizes and sword durations of its loaded databases, and its common palette
// loaded with them.
#include "records/StandaloneContext.h"

// Loads the project in the current folder (its data paths are relative to it,
// as in the player) into `context`; a database file that is not there keeps
// its default list. False, with the log line, when a database or the common
// palette does not load.
bool LoadProjectContext(cStandaloneContext& context);
