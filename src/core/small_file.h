#pragma once
// Reading a small file whole (a side profile, the app's settings) without
// trusting what is at its path: only a regular file is read (a FIFO would
// wait for a writer, a device may never end), opened without ever waiting,
// and only up to a size no real file of ours comes near.

#include <filesystem>
#include <string>
#include <system_error>

namespace knockbox {

// Real profiles take a few KB, the settings less than one.
inline constexpr std::size_t smallFileLimit = 1 << 20;

// Why a file that opened is still not read.
enum class SmallFileError { notRegular = 1, tooLarge };
const std::error_category& smallFileCategory();

// The file's bytes. Throws std::system_error whose what() is
// "<path>: <reason>", with the system's error or a SmallFileError.
std::string readSmallFile(const std::filesystem::path& path);

// Copies `from`, read as above, to `to` when nothing is at `to` (a file of
// the program's earlier name to its current one). Failures are ignored:
// usually there is nothing to copy.
void copySmallFileIfAbsent(const std::filesystem::path& from, const std::filesystem::path& to);

}  // namespace knockbox
