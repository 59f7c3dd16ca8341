#include "platform/bundle_resources.h"

#include <CoreFoundation/CoreFoundation.h>
#include <limits.h>

namespace knockbox {

std::optional<std::filesystem::path> bundleResourcesDirectory() {
    CFBundleRef bundle = CFBundleGetMainBundle();
    if (!bundle) return std::nullopt;
    CFURLRef url = CFBundleCopyResourcesDirectoryURL(bundle);
    if (!url) return std::nullopt;
    CFURLRef absolute = CFURLCopyAbsoluteURL(url);
    CFRelease(url);
    if (!absolute) return std::nullopt;
    char path[PATH_MAX];
    const bool converted =
        CFURLGetFileSystemRepresentation(absolute, true, reinterpret_cast<UInt8*>(path), sizeof path);
    CFRelease(absolute);
    if (!converted) return std::nullopt;
    return std::filesystem::path(path);
}

}  // namespace knockbox
