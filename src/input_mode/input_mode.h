#pragma once
// The keyboard input mode and the raw IME status it is derived from.
#include <cstdint>

namespace tessel {

enum class InputMode : std::uint8_t {
    English = 0,
    Hiragana = 1,
    Katakana = 2,
    Korean = 3,
    Chinese = 4,  // the badge hides
    None = 5,     // nothing shown yet, or forgotten after an unavailable spell
};

enum class StatusSource : std::uint8_t { Unavailable = 0, Live = 1, Recent = 2 };

struct ImeStatus {
    std::uint32_t Conversion = 0;  // IME_CMODE_* bits; 0 when closed
    std::uint16_t Language = 0;    // LANGID of the answering thread's layout
    StatusSource Source = StatusSource::Unavailable;
    bool Open = false;
    friend constexpr bool operator==(const ImeStatus&, const ImeStatus&) = default;
};

}  // namespace tessel
