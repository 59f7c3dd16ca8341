#pragma once
// A sample as a row of text fields, the one shape shared by the sensor's
// sample lines (space-separated) and CSV recordings (comma-separated):
// t with 9 decimals, then x, y, z and the gyroscope's x, y, z with 7. The
// gyroscope's own time is not written; read back, it takes the sample's t.

#include <optional>
#include <string>
#include <string_view>

#include "core/accel_sample.h"

namespace knockbox {

// How a row without gyroscope ends: after z (sample lines), or with three
// empty fields (recordings).
enum class MissingGyro { omitted, emptyFields };

// The fields joined by `separator`, without a line end.
std::string formatSampleFields(const AccelSample& sample, char separator, MissingGyro missingGyro);

// The strict reverse: exactly 4 or 7 fields between single separators, each
// a whole finite decimal number, or with `emptyFields` 4 numbers and three
// empty fields. Anything else (words, doubled or trailing separators,
// another count) gives nothing.
std::optional<AccelSample> parseSampleFields(std::string_view text, char separator, MissingGyro missingGyro);

}  // namespace knockbox
