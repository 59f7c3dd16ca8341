#include "sidemodels/profile_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <limits>
#include <system_error>

#include "core/file_replacement.h"

namespace knockbox::profile_files {
namespace fs = std::filesystem;

namespace {

// No profile comes near this; a larger file (or an endless device) is not one.
constexpr std::size_t largestProfile = 16 << 20;

[[noreturn]] void fail(int error, const fs::path& path) {
    throw std::system_error(error, std::generic_category(), path.string());
}

}  // namespace

std::string readText(const fs::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) fail(errno, path);
    std::string contents;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            const int error = errno;
            ::close(fd);
            fail(error, path);
        }
        if (got == 0) break;
        contents.append(buffer, static_cast<std::size_t>(got));
        if (contents.size() > largestProfile) {
            ::close(fd);
            fail(EFBIG, path);
        }
    }
    ::close(fd);
    return contents;
}

void writeJson(const fs::path& path, const nlohmann::json& json) {
    if (path.has_parent_path()) {
        std::error_code error;
        fs::create_directories(path.parent_path(), error);
        if (error) throw std::system_error(error, path.parent_path().string());
    }
    // Text that is not UTF-8 cannot stand in JSON; it is written replaced
    // rather than failing the save.
    replaceFile(path, json.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n");
}

nlohmann::json parse(std::string_view text) {
    nlohmann::json json = nlohmann::json::parse(text, nullptr, false);
    if (json.is_discarded()) throw DecodingFailure("malformed JSON");
    return json;
}

const nlohmann::json& member(const nlohmann::json& object, const char* key) {
    if (!object.is_object()) throw DecodingFailure("not an object");
    const auto found = object.find(key);
    if (found == object.end()) throw DecodingFailure(std::string("missing ") + key);
    return *found;
}

const nlohmann::json* optionalMember(const nlohmann::json& object, const char* key) {
    if (!object.is_object()) throw DecodingFailure("not an object");
    const auto found = object.find(key);
    if (found == object.end() || found->is_null()) return nullptr;
    return &*found;
}

double number(const nlohmann::json& value) {
    if (!value.is_number()) throw DecodingFailure("not a number");
    return value.get<double>();
}

std::int64_t integer(const nlohmann::json& value) {
    if (value.is_number_unsigned()) {
        const auto unsignedValue = value.get<std::uint64_t>();
        if (unsignedValue > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
            throw DecodingFailure("integer out of range");
        return static_cast<std::int64_t>(unsignedValue);
    }
    if (!value.is_number_integer()) throw DecodingFailure("not an integer");
    return value.get<std::int64_t>();
}

std::string text(const nlohmann::json& value) {
    if (!value.is_string()) throw DecodingFailure("not a string");
    return value.get<std::string>();
}

const nlohmann::json& array(const nlohmann::json& value, std::size_t count) {
    if (!value.is_array() || value.size() != count) throw DecodingFailure("wrong array");
    return value;
}

}  // namespace knockbox::profile_files
