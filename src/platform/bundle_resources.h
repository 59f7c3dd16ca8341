#pragma once
// The application bundle's resources folder, where the app keeps its sounds.

#include <filesystem>
#include <optional>

namespace knockbox {

// The main bundle's resources directory; nothing where there is no bundle
// (always on Linux).
std::optional<std::filesystem::path> bundleResourcesDirectory();

}  // namespace knockbox
