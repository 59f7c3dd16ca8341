#pragma once
// Replacing a file whole: readers (and a crash) see the old contents or the
// new ones, never a part.

#include <filesystem>
#include <string_view>

namespace knockbox {

// Writes `contents` into a temporary file beside `path` (TemporaryFile) and
// commits it. The folder must exist. New files get `permissions` (before the
// umask). On failure the temporary file is removed, `path` is untouched, and
// std::system_error is thrown with the system's description and the path.
void replaceFile(const std::filesystem::path& path, std::string_view contents,
                 std::filesystem::perms permissions = static_cast<std::filesystem::perms>(0644));

}  // namespace knockbox
