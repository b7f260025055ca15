#pragma once
// The application icon, kept as text because the program carries no resources.
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace tessel {

// 296 bytes in icon-resource format (16 x 16, 4 bits per pixel, with mask)
// as 592 hexadecimal digits.
extern const std::string_view kAppIconHex;

// Two digits per byte, high nibble first; 0-9, a-f and A-F are accepted.
// Empty when a character is not a hexadecimal digit or a digit is left over.
std::optional<std::vector<std::uint8_t>> DecodeHex(std::string_view text);

}  // namespace tessel
