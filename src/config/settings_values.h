#pragma once
// Text forms of the single setting values, shared by the settings file and
// the settings window.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "config/settings.h"

namespace tessel {

// Exactly eight hexadecimal digits "RRGGBBAA" after trimming white space;
// no prefix, no separators. Empty when invalid.
std::optional<Rgba> ParseRgba(std::string_view text);
// Eight upper-case hexadecimal digits, red first, alpha last.
std::string FormatRgba(Rgba colour);

// "right", "above" or "below" in any ASCII letter case, white space trimmed.
std::optional<IndicatorPosition> ParseIndicatorPosition(std::string_view text);
// "Right", "Above" or "Below".
std::string_view FormatIndicatorPosition(IndicatorPosition position);

// A signed 32-bit decimal integer (optional single sign, one or more ASCII
// digits, nothing else); only 1 (true) and 0 (false) are valid switches.
std::optional<bool> ParseSwitch(std::string_view text);
// Seconds the badge stays: an integer as for a switch, of which only 0
// (always), 3, 5 and 10 are valid.
std::optional<std::uint8_t> ParseBadgeSeconds(std::string_view text);
bool IsValidBadgeSeconds(std::uint8_t seconds);

// The integer value of a signed 32-bit decimal text; empty when it is not one
// or lies outside the 32-bit range.
std::optional<std::int32_t> ParseInt32(std::string_view text);

}  // namespace tessel
