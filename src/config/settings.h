#pragma once
// The user's settings record and its two value types.
#include <cstdint>
#include <string>
#include <vector>

namespace tessel {

// A colour written "RRGGBBAA"; A is opacity (0 transparent, 255 opaque).
struct Rgba {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    std::uint8_t a = 0;
    friend constexpr bool operator==(const Rgba&, const Rgba&) = default;
};

// Where the badge stands relative to the caret; the settings window lists
// the values in this order.
enum class IndicatorPosition : std::uint8_t { Right = 0, Above = 1, Below = 2 };

struct Settings {
    bool PlayEnglishSound = true;
    bool PlayJapaneseSound = true;
    bool PlayKoreanSound = true;
    bool PlaySounds = false;  // master switch, off by default
    ::tessel::IndicatorPosition IndicatorPosition = ::tessel::IndicatorPosition::Below;
    Rgba IndicatorTextColor{0xFF, 0xFF, 0xFF, 0xA5};
    Rgba EnglishBackgroundColor{0xFF, 0x62, 0x62, 0xA5};
    Rgba JapaneseBackgroundColor{0x62, 0xFF, 0x62, 0xA5};
    Rgba KoreanBackgroundColor{0x62, 0x62, 0xFF, 0xA5};
    // Seconds the badge stays after a mode, Caps Lock or focus change; 0 = always.
    std::uint8_t BadgeSeconds = 0;
    // Executable file names (UTF-8, as typed but trimmed, no duplicates) where
    // the badge never shows.
    std::vector<std::string> ExcludedPrograms;
    friend bool operator==(const Settings&, const Settings&) = default;
};

}  // namespace tessel
