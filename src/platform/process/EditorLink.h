#pragma once
// The notices of a test play to the kit's editor: one datagram to the Unix
// socket "zandrel-editor.sock" of the runtime folder, holding two 32-bit
// little-endian ints (kind, value). Nothing happens when no editor listens.
#include <filesystem>
#include <optional>

namespace platform {

// Nothing when the runtime folder is refused: no notice is sent then.
std::optional<std::filesystem::path> EditorSocketPath();
void SendEditorNotice(int kind, int value);

}  // namespace platform
