#pragma once
// Starting SDL's video where the game can be seen.

namespace platform::display {

// Starts SDL's video subsystem. Where no display can be reached SDL falls
// back to its offscreen driver, which would run the game and its boxes
// unseen and without end; that counts as a failure (with SDL's error set)
// unless SDL_VIDEODRIVER or the harness asked for such a driver.
bool StartVideo();

}  // namespace platform::display
