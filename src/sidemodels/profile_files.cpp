#include "sidemodels/profile_files.h"

#include <limits>
#include <system_error>

#include "core/file_replacement.h"
#include "core/json_nesting.h"
#include "core/line_text.h"
#include "core/small_file.h"
#include "sidemodels/calibration_error.h"

namespace knockbox::profile_files {
namespace fs = std::filesystem;

void writeProfile(const fs::path& path, const nlohmann::json& json) {
    try {
        if (path.has_parent_path()) {
            std::error_code error;
            fs::create_directories(path.parent_path(), error);
            if (error) throw std::system_error(error, pathText(path.parent_path()));
        }
        // Text that is not UTF-8 cannot stand in JSON; it is written replaced
        // rather than failing the save.
        replaceFile(path, json.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n");
    } catch (const std::system_error& error) {
        throw CalibrationError::writeFailed(error.what());
    }
}

std::string readProfile(const fs::path& path) {
    try {
        return readSmallFile(path);
    } catch (const std::system_error& error) {
        throw CalibrationError::readFailed(error.what());
    }
}

nlohmann::json parse(std::string_view text) {
    if (!jsonNestingWithin(text)) throw DecodingFailure("nested too deeply");
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
