#pragma once
// Numbers as text, independent of the process locale (the configuration app
// sets one; the player's lines and files must not follow it).

#include <optional>
#include <string>
#include <string_view>

namespace knockbox {

// The whole text must be a finite decimal number ("1", "-0.5", "+2", "1e-3");
// anything else, including "nan", "inf", hex and surrounding spaces, gives nothing.
std::optional<double> parseNumber(std::string_view text);

// printf's "%.<precision>f" with a full stop as the decimal separator.
std::string fixed(double value, int precision);

// The shortest text that reads back as exactly this value; ".0" is added to
// whole numbers written without an exponent ("1.0", "0.3", "1e-05").
std::string shortestDecimal(double value);

// Same, without the ".0" on whole numbers ("1", "0.3").
std::string shortestNumber(double value);

}  // namespace knockbox
