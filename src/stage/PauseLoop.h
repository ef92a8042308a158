#pragma once
// The modal pause loop: while a message waits for its button, a game wait or a
// picture runs, or an extra life is announced, the game thread stands still
// and this loop draws the stage and reads the input on the thread `thPause`.
#include "stage/StageScene.h"

// The loop's order is the scene's m_PauseReq (cStagePlayScene::SetPauseRequest).
// The loop's body, on thPause. 1 after a normal end; 0 at once when the
// window was already asked to close.
int PauseThreadProc(cStagePlayScene& scene, cStageShell& shell);
// The game thread's side: runs PauseThreadProc on thPause and waits for it; 0
// without a program around the scene.
int RunPauseLoop(cStagePlayScene& scene);
// The replay-save keys, served by the play frame, the menus and the loops: 1
// when a save dialog ran (the caller's frame ends there).
int CheckReplaySaveKeys(cStagePlayScene& scene, cStageShell& shell);
// Every state lets the replay keys go when they are up, so that a press made
// where they are not served, held on into a state that serves them, acts there.
void ForgetReleasedReplayKeys(cStagePlayScene& scene, cStageShell& shell);
