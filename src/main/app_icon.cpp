#include "main/app_icon.h"

namespace tessel {

// A navy-framed blue square with a white "T", transparent corners.
const std::string_view kAppIconHex =
    "28000000100000002000000001000400000000000000000000000000000000000000000000"
    "00000000000000000080000080000000808000800000008000800080800000C0C0C0008080"
    "80000000FF0000FF000000FFFF00FF000000FF00FF00FFFF0000FFFFFF0000000000000000"
    "00044444444444444004CCCCCCCCCCCC4004CCCCFFFFCCCC4004CCCCFFFFCCCC4004CCCCFF"
    "FFCCCC4004CCCCFFFFCCCC4004CCCCFFFFCCCC4004CCCCFFFFCCCC4004CCCCFFFFCCCC4004"
    "CFFFFFFFFFFC4004CFFFFFFFFFFC4004CCCCCCCCCCCC4004CCCCCCCCCCCC40044444444444"
    "44400000000000000000FFFF00008001000080010000800100008001000080010000800100"
    "008001000080010000800100008001000080010000800100008001000080010000FFFF0000";

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> DecodeHex(std::string_view text) {
    if (text.size() % 2 != 0) return std::nullopt;
    std::vector<std::uint8_t> bytes;
    bytes.reserve(text.size() / 2);
    for (std::size_t i = 0; i < text.size(); i += 2) {
        int hi = HexValue(text[i]);
        int lo = HexValue(text[i + 1]);
        if (hi < 0 || lo < 0) return std::nullopt;
        bytes.push_back(static_cast<std::uint8_t>((hi << 4) | lo));
    }
    return bytes;
}

}  // namespace tessel
