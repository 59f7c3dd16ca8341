#pragma once
// Where the user's files live, per platform.

#include <filesystem>

namespace knockbox {

// The user-domain Application Support directory: ~/Library/Application Support
// on macOS; $XDG_DATA_HOME, else ~/.local/share, on Linux.
std::filesystem::path applicationSupportDirectory();

// True when the executable runs inside an application bundle (".app").
bool insideApplicationBundle();

}  // namespace knockbox
