#include "app/set_aside.h"

#include <ctime>
#include <string>
#include <system_error>

namespace knockbox {
namespace fs = std::filesystem;

namespace {

// "20250101T120000Z"
std::string utcStamp() {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%dT%H%M%SZ", &utc);
    return text;
}

}  // namespace

std::optional<fs::path> setAside(const fs::path& file) {
    fs::path kept = file;
    kept += ".invalid";
    std::error_code error;
    const auto taken = [&] { return fs::symlink_status(kept, error).type() != fs::file_type::not_found; };
    for (int attempt = 0; taken(); ++attempt) {
        if (attempt == 10) return std::nullopt;
        // Built by appending: GCC 12 misreads `"." + std::string` at -O3 (-Wrestrict).
        std::string suffix = ".invalid-";
        suffix += utcStamp();
        if (attempt > 0) (suffix += '-') += std::to_string(attempt);
        kept = file;
        kept += suffix;
    }
    fs::rename(file, kept, error);
    if (error) return std::nullopt;
    return kept;
}

}  // namespace knockbox
