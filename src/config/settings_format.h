#pragma once
// The settings file's text: the reading grammar and the exact text written.
#include <string>
#include <string_view>

#include "config/settings.h"

namespace tessel {

// Decodes the file's bytes: UTF-16 LE or BE when they start with the matching
// byte-order mark (mark dropped, odd tail byte ignored, lone surrogates
// replaced), otherwise lossy UTF-8. The result is always valid UTF-8.
std::string DecodeSettingsBytes(std::string_view bytes);

// Reads the "[Settings]" section of the file's bytes over the defaults. Never
// fails: lines, keys and values that do not parse are ignored one by one, and
// of repeated keys the last valid value wins.
Settings ParseSettings(std::string_view bytes);

// The whole file as written: twelve CR LF terminated lines, no byte-order
// mark, keys in PascalCase; ASCII but for non-ASCII program names (UTF-8).
std::string FormatSettingsFile(const Settings& settings);

}  // namespace tessel
