#pragma once
// A file of the app's that cannot be used (damaged, not a regular file, far
// too large) is moved out of the way rather than overwritten: the app starts
// from its defaults, and the user still has what the file held.

#include <filesystem>
#include <optional>

namespace knockbox {

// Moves `file` beside itself, to "<name>.invalid", or to
// "<name>.invalid-<UTC time>" when that name is taken, so an earlier one is
// never overwritten. The new path; nothing when it could not be moved.
std::optional<std::filesystem::path> setAside(const std::filesystem::path& file);

}  // namespace knockbox
