#include "recording/csv_recording.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cmath>
#include <optional>
#include <system_error>

#include "core/app_error.h"
#include "core/number_text.h"
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

std::vector<std::string_view> fields(std::string_view line) {
    std::vector<std::string_view> result;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = line.find(',', start);
        result.push_back(line.substr(start, comma == std::string_view::npos ? comma : comma - start));
        if (comma == std::string_view::npos) return result;
        start = comma + 1;
    }
}

// The sample of one line, or nothing when the line breaks a rule.
// `previousT` is -infinity before the first sample.
std::optional<AccelSample> sampleOf(std::string_view line, double previousT) {
    const std::vector<std::string_view> all = fields(line);
    if (all.size() != 4 && all.size() != 7) return std::nullopt;
    const bool emptyGyro = all.size() == 7 && all[4].empty() && all[5].empty() && all[6].empty();
    const std::size_t kept = emptyGyro ? 4 : all.size();
    std::vector<double> numbers;
    for (std::size_t i = 0; i < kept; ++i)
        if (const auto number = parseNumber(all[i])) numbers.push_back(*number);
    // A field that does not parse is dropped, so the counts below catch it.
    if (numbers.size() != kept) return std::nullopt;
    if (!(numbers[0] > previousT)) return std::nullopt;
    AccelSample sample{numbers[0], numbers[1], numbers[2], numbers[3], std::nullopt};
    if (numbers.size() == 7) sample.gyro = GyroSample{numbers[0], numbers[4], numbers[5], numbers[6]};
    return sample;
}

}  // namespace

std::string csvLine(const AccelSample& sample) {
    std::string line = fixed(sample.t, 9);
    for (double axis : {sample.x, sample.y, sample.z}) (line += ',') += fixed(axis, 7);
    if (sample.gyro) {
        for (double axis : {sample.gyro->x, sample.gyro->y, sample.gyro->z})
            (line += ',') += fixed(axis, 7);
    } else {
        line += ",,,";
    }
    return line;
}

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
