#pragma once
// Text is held as UTF-8; platform calls take UTF-16. Conversions never fail:
// invalid sequences become U+FFFD.
#include <cstdint>
#include <string>
#include <string_view>

namespace tessel {

// Lossy UTF-8 validation: returns valid UTF-8 with each maximal invalid
// subsequence replaced by U+FFFD.
std::string SanitizeUtf8(std::string_view bytes);

std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

// Decodes raw UTF-16 code units given as bytes (little or big endian); an odd
// trailing byte is ignored.
std::u16string BytesToUtf16(std::string_view bytes, bool bigEndian);

constexpr char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
constexpr char16_t AsciiLower(char16_t c) {
    return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

std::string AsciiLowerCopy(std::string_view s);
bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b);
bool EqualsIgnoreAsciiCase(std::u16string_view a, std::u16string_view b);

// Unicode White_Space property.
bool IsUnicodeWhiteSpace(char32_t c);

// Trims Unicode white space at both ends of a valid UTF-8 text.
std::string_view TrimWhiteSpace(std::string_view utf8);

// Decodes one code point from valid UTF-8 at `pos`; advances `pos`.
char32_t DecodeUtf8At(std::string_view utf8, std::size_t& pos);

}  // namespace tessel
