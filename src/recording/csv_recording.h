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

#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/accel_sample.h"

namespace knockbox {

inline constexpr std::string_view csvHeader = "t,x,y,z,gx,gy,gz";

// One sample line without its line feed: "%.9f,%.7f,%.7f,%.7f" and either
// ",%.7f,%.7f,%.7f" of the gyroscope or ",,,".
std::string csvLine(const AccelSample& sample);

// A whole recording: the header and one line per sample, each ending in a line feed.
std::string recordingText(std::span<const AccelSample> samples);

// Reads a recording's text. Lines end at any of U+000A–U+000D, U+0085,
// U+2028, U+2029 (CR LF counts once); blank lines are ignored and not counted.
// A header ("t,x,y,z" or "t,x,y,z,gx,gy,gz") is skipped on the first line only.
// Each other line holds 4 numbers, 7 numbers, or 4 numbers and three empty
// fields, all finite, with `t` strictly increasing. Throws AppError naming the
// first bad line ("Nieprawidłowy CSV lub czas w wierszu <n>. ..."), or
// "Nagranie jest puste." when no sample line is left.
std::vector<AccelSample> parseRecording(std::string_view text);

// Reads and parses the file. A file that cannot be read, or is not UTF-8,
// throws std::system_error with the system's description.
std::vector<AccelSample> readRecording(const std::filesystem::path& path);

}  // namespace knockbox
