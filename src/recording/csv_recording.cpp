#include "recording/csv_recording.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cmath>
#include <optional>
#include <system_error>

#include "core/app_error.h"
#include "core/sample_text.h"
#include "core/utf8_text.h"

namespace knockbox {
namespace {

std::string badLine(std::size_t line) {
    return "Nieprawidłowy CSV lub czas w wierszu " + std::to_string(line) +
           ". Oczekiwano rosnących t,x,y,z.";
}

// Length in bytes of the line break that starts at `at`, or 0. The text is
// UTF-8, so the lead bytes 0xC2 and 0xE2 cannot appear inside a character.
std::size_t lineBreakLength(std::string_view text, std::size_t at) {
    const auto byte = [&](std::size_t i) {
        return i < text.size() ? static_cast<unsigned char>(text[i]) : 0u;
    };
    const unsigned first = byte(at);
    if (first == '\r' && byte(at + 1) == '\n') return 2;
    if (first >= 0x0A && first <= 0x0D) return 1;
    if (first == 0xC2 && byte(at + 1) == 0x85) return 2;  // U+0085
    if (first == 0xE2 && byte(at + 1) == 0x80 && (byte(at + 2) == 0xA8 || byte(at + 2) == 0xA9))
        return 3;  // U+2028, U+2029
    return 0;
}

std::vector<std::string_view> nonEmptyLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = lineBreakLength(text, at);
        if (length == 0) {
            ++at;
            continue;
        }
        if (at > start) lines.push_back(text.substr(start, at - start));
        at += length;
        start = at;
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

// The sample of one line, or nothing when the line breaks a rule.
// `previousT` is -infinity before the first sample.
std::optional<AccelSample> sampleOf(std::string_view line, double previousT) {
    std::optional<AccelSample> sample = parseSampleFields(line, ',', MissingGyro::emptyFields);
    if (!sample || !(sample->t > previousT)) return std::nullopt;
    return sample;
}

}  // namespace

std::string csvLine(const AccelSample& sample) { return formatSampleFields(sample, ',', MissingGyro::emptyFields); }

std::string recordingText(std::span<const AccelSample> samples) {
    std::string text(csvHeader);
    text += '\n';
    for (const AccelSample& sample : samples) (text += csvLine(sample)) += '\n';
    return text;
}

std::vector<AccelSample> parseRecording(std::string_view text) {
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);  // byte order mark of some editors
    const std::vector<std::string_view> lines = nonEmptyLines(text);
    std::vector<AccelSample> samples;
    samples.reserve(lines.size());
    for (std::size_t index = 0; index < lines.size(); ++index) {
        if (index == 0 && (lines[0] == "t,x,y,z" || lines[0] == csvHeader)) continue;
        const double previousT = samples.empty() ? -HUGE_VAL : samples.back().t;
        const std::optional<AccelSample> sample = sampleOf(lines[index], previousT);
        if (!sample) throw AppError(badLine(index + 1));
        samples.push_back(*sample);
    }
    if (samples.empty()) throw AppError("Nagranie jest puste.");
    return samples;
}

std::vector<AccelSample> readRecording(const std::filesystem::path& path) {
    const auto failure = [&](int code) {
        return std::system_error(code, std::generic_category(), path.string());
    };
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) throw failure(errno);
    std::string text;
    std::array<char, 65536> buffer;
    while (true) {
        const ssize_t count = ::read(descriptor, buffer.data(), buffer.size());
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) {
            const int code = errno;  // a directory gives EISDIR here
            ::close(descriptor);
            throw failure(code);
        }
        if (count == 0) break;
        text.append(buffer.data(), static_cast<std::size_t>(count));
    }
    ::close(descriptor);
    if (!isValidUtf8(text)) throw failure(EILSEQ);
    return parseRecording(text);
}

}  // namespace knockbox
