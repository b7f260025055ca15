#include "config/settings_values.h"

#include <cstdint>

#include "common/text.h"

namespace tessel {
namespace {

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::optional<Rgba> ParseRgba(std::string_view text) {
    const std::string_view digits = TrimWhiteSpace(text);
    if (digits.size() != 8) return std::nullopt;
    std::uint8_t channels[4] = {};
    for (std::size_t i = 0; i < 4; ++i) {
        const int hi = HexDigitValue(digits[2 * i]);
        const int lo = HexDigitValue(digits[2 * i + 1]);
        if (hi < 0 || lo < 0) return std::nullopt;
        channels[i] = static_cast<std::uint8_t>(hi * 16 + lo);
    }
    return Rgba{channels[0], channels[1], channels[2], channels[3]};
}

std::string FormatRgba(Rgba colour) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(8);
    for (std::uint8_t channel : {colour.r, colour.g, colour.b, colour.a}) {
        out.push_back(kHex[channel >> 4]);
        out.push_back(kHex[channel & 0x0F]);
    }
    return out;
}

std::optional<IndicatorPosition> ParseIndicatorPosition(std::string_view text) {
    const std::string_view word = TrimWhiteSpace(text);
    if (EqualsIgnoreAsciiCase(word, "right")) return IndicatorPosition::Right;
    if (EqualsIgnoreAsciiCase(word, "above")) return IndicatorPosition::Above;
    if (EqualsIgnoreAsciiCase(word, "below")) return IndicatorPosition::Below;
    return std::nullopt;
}

std::string_view FormatIndicatorPosition(IndicatorPosition position) {
    switch (position) {
        case IndicatorPosition::Right: return "Right";
        case IndicatorPosition::Above: return "Above";
        case IndicatorPosition::Below: return "Below";
    }
    // Not a value the program produces; write the default rather than garbage.
    return "Below";
}

std::optional<std::int32_t> ParseInt32(std::string_view text) {
    std::size_t pos = 0;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    if (pos == text.size()) return std::nullopt;
    // The magnitude may reach 2^31 for the negative limit.
    const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
    std::int64_t magnitude = 0;
    for (; pos < text.size(); ++pos) {
        const char c = text[pos];
        if (c < '0' || c > '9') return std::nullopt;
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > limit) return std::nullopt;
    }
    return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

std::optional<bool> ParseSwitch(std::string_view text) {
    const std::optional<std::int32_t> value = ParseInt32(text);
    if (value == 1) return true;
    if (value == 0) return false;
    return std::nullopt;
}

bool IsValidBadgeSeconds(std::uint8_t seconds) {
    return seconds == 0 || seconds == 3 || seconds == 5 || seconds == 10;
}

std::optional<std::uint8_t> ParseBadgeSeconds(std::string_view text) {
    const std::optional<std::int32_t> value = ParseInt32(text);
    if (!value || *value < 0 || *value > 255) return std::nullopt;
    const auto seconds = static_cast<std::uint8_t>(*value);
    if (!IsValidBadgeSeconds(seconds)) return std::nullopt;
    return seconds;
}

}  // namespace tessel
