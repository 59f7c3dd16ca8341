#pragma once
// The text line that carries one sensor sample from the sensor process to the
// player: "%.9f %.7f %.7f %.7f" of t, x, y, z, then " %.7f %.7f %.7f" of the
// gyro when the sample has one, then a line feed.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/accel_sample.h"

namespace knockbox {

// The whole line, line feed included.
std::string formatSampleLine(const AccelSample& sample);

// One line without its line feed: exactly 4 numbers (a sample without gyro)
// or 7 (the gyro has the line's t) between single spaces; anything else
// gives nothing and the line is dropped.
std::optional<AccelSample> parseSampleLine(std::string_view line);

// Assembles lines from the pipe's bytes as they arrive, however the reads cut
// them.
class SampleLineBuffer {
public:
    // Appends the bytes and adds the sample of every line they complete.
    void append(std::string_view bytes, std::vector<AccelSample>& samples);

    // No sample line comes near this; a longer one is garbage and is dropped
    // rather than held in memory.
    static constexpr std::size_t maxLineLength = 4096;

private:
    std::string pending_;
    bool discarding_ = false;  // inside a line that grew too long
};

}  // namespace knockbox
