#pragma once
// Message boxes on the overlay toolkit.
#include <string_view>

#include "platform/overlay/DialogTemplate.h"

namespace platform::overlay {

// The box's layout: its icon, its text and its buttons (ids IDOK .. IDNO).
DialogTemplate MessageBoxTemplate(std::string_view text, std::string_view caption, UINT type);

// Shows a box on the calling (main) thread's screen and returns the button chosen.
int RunMessageBox(std::string_view text, std::string_view caption, UINT type);

}  // namespace platform::overlay
