#pragma once
// Loading a stage file for play: the newest version of a named stage, the end
// mark check, the load itself on a loader thread while the caller keeps
// serving its messages, and the copy of the stage's settings.
#include <string_view>

#include "platform/Messages.h"
#include "records/StageData.h"

// Posted by the loader thread to its starter when the load has ended.
constexpr UINT WM_STAGELOADED = WM_APP + 0x5A0;

// False (after an error box and WM_CLOSE to the main window) when a file of
// version 174 or later does not end with STAGE_END_MARK; files that cannot be
// opened and older files pass.
bool CheckStageEndMark(std::string_view path);

// Loads `name` (its newest "stg4_NNN" file when useNewest is set) into
// `StageData`. The load runs into a stage of its own and replaces StageData
// only when it succeeded and the stage has a hero, so a failed load leaves the
// stage in play whole. `out`, when given, receives the stage's settings with
// empty definition lists. 1 on success, 0 otherwise.
int LoadStageForPlay(std::string_view name, int useNewest, cStageData* out, const cLoadContext& ctx);
