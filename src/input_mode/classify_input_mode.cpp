#include "input_mode/classify_input_mode.h"

namespace tessel {

namespace {

constexpr std::uint16_t kPrimaryMask = 0x3FF;
constexpr std::uint16_t kChinese = 0x04;
constexpr std::uint16_t kJapanese = 0x11;
constexpr std::uint16_t kKorean = 0x12;
constexpr std::uint32_t kNative = 0x1;

// The conversion values a Japanese IME reports for kana input; anything else
// (alphanumeric modes, extra bits) counts as Latin input.
std::optional<InputMode> KanaMode(std::uint32_t conversion) {
    switch (conversion) {
        case 0x03:
        case 0x0B:
        case 0x13:
        case 0x1B:
            return InputMode::Katakana;
        case 0x09:
        case 0x19:
            return InputMode::Hiragana;
        default:
            return std::nullopt;
    }
}

}  // namespace

std::optional<InputMode> ClassifyInputMode(const ImeStatus& status) {
    if (status.Source == StatusSource::Unavailable) return std::nullopt;
    if (!status.Open) return InputMode::English;
    const std::uint16_t primary = status.Language & kPrimaryMask;
    if (primary == kChinese) return InputMode::Chinese;
    if (primary == kJapanese) return KanaMode(status.Conversion).value_or(InputMode::English);
    if (primary == kKorean) {
        return (status.Conversion & kNative) != 0 ? InputMode::Korean : InputMode::English;
    }
    if (auto kana = KanaMode(status.Conversion)) return kana;
    return (status.Conversion & kNative) != 0 ? InputMode::Korean : InputMode::English;
}

void ApplyTaskbarOverride(ImeStatus& status, std::uint8_t taskbarReading) {
    if (taskbarReading > 1) return;
    if ((status.Language & kPrimaryMask) != kKorean) return;
    status.Open = taskbarReading == 1;
    status.Conversion = taskbarReading;
}

}  // namespace tessel
