#pragma once
// The mouse pointer over the game window. The drawing layer hides it in full
// screen and shows it in a window and around boxes; dialogs show it while
// they are drawn. SDL video belongs to the main thread, so another thread's
// wish is applied there on the next turn of the presenter.
namespace platform::display {

// Any thread: the pointer as the game wants it when no dialog is drawn.
void ShowPointer(bool shown);
bool PointerShown();

// Main thread: makes SDL's pointer what the game wants.
void ApplyPointer();

}  // namespace platform::display
