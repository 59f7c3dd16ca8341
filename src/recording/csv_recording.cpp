#include "recording/csv_recording.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <optional>
#include <system_error>

#include "core/app_error.h"
#include "core/line_text.h"
#include "core/sample_text.h"
#include "core/utf8_text.h"

namespace knockbox {
namespace {

AppError badLine(std::size_t line) {
    return AppError("Nieprawidłowy CSV lub czas w wierszu " + std::to_string(line) +
                    ". Oczekiwano rosnących t,x,y,z.");
}

// Length in bytes of the line break that starts at `at`: 0 for none, -1 when
// the bytes so far may still become one. The text is UTF-8, so the lead bytes
// 0xC2 and 0xE2 cannot appear inside a character.
int lineBreakLength(std::string_view text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned first = byte(at);
    if (first >= 0x0A && first <= 0x0D) return 1;  // a CR before an LF leaves a blank line
    if (first != 0xC2 && first != 0xE2) return 0;
    const std::size_t left = text.size() - at;
    if (first == 0xC2) return left < 2 ? -1 : byte(at + 1) == 0x85 ? 2 : 0;  // U+0085
    if (left < 2) return -1;
    if (byte(at + 1) != 0x80) return 0;
    if (left < 3) return -1;
    return byte(at + 2) == 0xA8 || byte(at + 2) == 0xA9 ? 3 : 0;  // U+2028, U+2029
}

}  // namespace

std::string csvLine(const AccelSample& sample) { return formatSampleFields(sample, ',', MissingGyro::emptyFields); }

std::string recordingText(std::span<const AccelSample> samples) {
    std::string text(csvHeader);
    text += '\n';
    for (const AccelSample& sample : samples) (text += csvLine(sample)) += '\n';
    return text;
}

void RecordingParser::append(std::string_view bytes) {
    std::size_t scanned = scanned_;
    pending_.append(bytes);
    std::size_t lineStart = 0;
    while (scanned < pending_.size()) {
        const int length = lineBreakLength(pending_, scanned);
        if (length < 0) break;  // the rest of a break may come with the next piece
        if (length == 0) {
            ++scanned;
            continue;
        }
        completeLine(std::string_view(pending_).substr(lineStart, scanned - lineStart));
        scanned += static_cast<std::size_t>(length);
        lineStart = scanned;
    }
    pending_.erase(0, lineStart);
    scanned_ = scanned - lineStart;
    // What is left belongs to one line (and perhaps the start of a break).
    if (pending_.size() > maxLineLength + 2) throw badLine(lines_ + 1);
}

void RecordingParser::completeLine(std::string_view line) {
    if (lines_ == 0 && line.starts_with("\xEF\xBB\xBF")) line.remove_prefix(3);  // byte order mark of some editors
    if (line.empty()) return;
    ++lines_;
    if (line.size() > maxLineLength) throw badLine(lines_);
    if (!isValidUtf8(line)) throw std::system_error(EILSEQ, std::generic_category(), outsideText(name_));
    if (lines_ == 1 && (line == "t,x,y,z" || line == csvHeader)) return;
    const std::optional<AccelSample> sample = parseSampleFields(line, ',', MissingGyro::emptyFields);
    if (!sample || (!samples_.empty() && !(sample->t > samples_.back().t))) throw badLine(lines_);
    samples_.push_back(*sample);
}

Recording RecordingParser::finish() {
    const std::string rest = std::move(pending_);
    pending_.clear();
    scanned_ = 0;
    completeLine(rest);
    if (samples_.empty()) throw AppError("Nagranie jest puste.");
    return std::move(samples_);
}

Recording parseRecording(std::string_view text) {
    RecordingParser parser;
    parser.append(text);
    return parser.finish();
}

Recording readRecording(const std::filesystem::path& path) {
    const auto failure = [&](int code) { return std::system_error(code, std::generic_category(), pathText(path)); };
    // Not blocking: a FIFO without a writer must not hold the program.
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) throw failure(errno);
    RecordingParser parser(path.string());
    std::array<char, 65536> buffer;
    try {
        for (;;) {
            const ssize_t count = ::read(descriptor, buffer.data(), buffer.size());
            if (count < 0 && errno == EINTR) continue;
            if (count < 0) throw failure(errno);  // a directory gives EISDIR here
            if (count == 0) break;
            parser.append(std::string_view(buffer.data(), static_cast<std::size_t>(count)));
        }
    } catch (...) {
        ::close(descriptor);
        throw;
    }
    ::close(descriptor);
    return parser.finish();
}

}  // namespace knockbox
