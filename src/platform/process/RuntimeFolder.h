#pragma once
// The folder of the single-instance lock and the editor socket.
#include <filesystem>
#include <optional>
#include <string>

namespace platform {

// The folder the harness names (ZANDREL_RUNTIME_DIR, else $XDG_RUNTIME_DIR),
// else this user's private folder below /tmp. Nothing when that folder is
// refused; `refusal` then says why.
std::optional<std::filesystem::path> RuntimeFolder(std::string* refusal);

// /tmp/zandrel-UID for the real user id.
std::filesystem::path FallbackRuntimeFolder();

// Creates the folder with mode 0700 when it is missing, and accepts it only
// when it is a real folder (no symlink) owned by this user with no access for
// group or others: in a folder every user shares, another user could
// otherwise make it first and own what is put in it.
bool MakePrivateFolder(const std::filesystem::path& folder, std::string* refusal);

}  // namespace platform
