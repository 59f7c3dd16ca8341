#pragma once
// CSV recordings: the file `--record` writes and `--replay` reads.
//
//   t,x,y,z,gx,gy,gz
//   12.345678901,0.0123457,-0.0045678,-1.0012345,0.5000000,-0.2500000,0.0000000
//   12.347000000,0.0123457,-0.0045678,-1.0012345,,,
//
// `t` is the absolute clock time as received; a sample without gyroscope has
// three empty fields. The gyroscope's own time is not written: a sample read
// back gives its gyroscope the sample's `t`.

#include <cstddef>
#include <deque>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

#include "core/accel_sample.h"

namespace knockbox {

inline constexpr std::string_view csvHeader = "t,x,y,z,gx,gy,gz";

// The samples of a recording. Kept in blocks rather than one array, so a long
// recording never needs twice its size while it is read.
using Recording = std::deque<AccelSample>;

// One sample line without its line feed: "%.9f,%.7f,%.7f,%.7f" and either
// ",%.7f,%.7f,%.7f" of the gyroscope or ",,,".
std::string csvLine(const AccelSample& sample);

// A whole recording: the header and one line per sample, each ending in a line feed.
std::string recordingText(std::span<const AccelSample> samples);

// Reads a recording's text as it arrives, in pieces cut anywhere, checking
// each line once it is complete. Lines end at any of U+000A–U+000D, U+0085,
// U+2028, U+2029 (CR LF counts once); blank lines are ignored and not
// counted. A header ("t,x,y,z" or "t,x,y,z,gx,gy,gz") is skipped on the first
// line only. Each other line holds 4 numbers, 7 numbers, or 4 numbers and
// three empty fields, all finite, with `t` strictly increasing, in at most
// `maxLineLength` bytes.
class RecordingParser {
public:
    // No sample line comes near this; a longer line is refused at once,
    // before it is held in memory.
    static constexpr std::size_t maxLineLength = 4096;

    // `name` is what a UTF-8 error names (the file's path).
    explicit RecordingParser(std::string name = {}) : name_(std::move(name)) {}

    // Throws AppError naming the first bad line ("Nieprawidłowy CSV lub czas
    // w wierszu <n>. ..."), or std::system_error (EILSEQ, with the name) for
    // a line that is not UTF-8.
    void append(std::string_view bytes);
    // The end of the text: a last line without a break counts. Throws like
    // append, or AppError "Nagranie jest puste." when no sample line was found.
    Recording finish();

private:
    void completeLine(std::string_view line);

    std::string name_;
    std::string pending_;      // bytes after the last line break
    std::size_t scanned_ = 0;  // of which these are known to hold no break
    std::size_t lines_ = 0;    // non-blank lines so far
    Recording samples_;
};

// The whole text at once.
Recording parseRecording(std::string_view text);

// Reads and parses the file, blocking until its end. A file that cannot be
// read throws std::system_error with the system's description and the path.
Recording readRecording(const std::filesystem::path& path);

}  // namespace knockbox
