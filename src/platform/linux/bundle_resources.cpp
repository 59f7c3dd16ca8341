#include "platform/bundle_resources.h"

namespace knockbox {

// Linux programs have no bundles: resources are found beside the executable.
std::optional<std::filesystem::path> bundleResourcesDirectory() { return std::nullopt; }

}  // namespace knockbox
