#pragma once
// What the two profile files share: reading and writing them whole, with
// their errors wrapped one way (CalibrationError readFailed, writeFailed),
// guarded parsing, and strict decoding of members (a JSON true is not the
// number 1, 2.0 is not an integer).

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace knockbox::profile_files {

// Pretty-printed (members ascending, as every nlohmann object is), written
// through a temporary file that replaces `path`, after creating the folder.
// Throws CalibrationError writeFailed ("…: <path>: <description>").
void writeProfile(const std::filesystem::path& path, const nlohmann::json& json);
// The file's text, bounded as a small file. Throws CalibrationError
// readFailed ("…: <path>: <description>").
std::string readProfile(const std::filesystem::path& path);

// Thrown by the readers below for a missing member or a wrong type.
struct DecodingFailure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Malformed JSON, or JSON nested deeper than any profile, throws
// DecodingFailure as well.
nlohmann::json parse(std::string_view text);
const nlohmann::json& member(const nlohmann::json& object, const char* key);
// Absent when the member is missing or null.
const nlohmann::json* optionalMember(const nlohmann::json& object, const char* key);
double number(const nlohmann::json& value);
std::int64_t integer(const nlohmann::json& value);
std::string text(const nlohmann::json& value);
// An array of exactly `count` elements.
const nlohmann::json& array(const nlohmann::json& value, std::size_t count);

}  // namespace knockbox::profile_files
