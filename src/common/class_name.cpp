#include "common/class_name.h"

#include "common/text.h"

namespace tessel {
namespace {

bool SameIgnoringCase(char16_t unit, char ascii) {
    return AsciiLower(unit) == static_cast<char16_t>(static_cast<unsigned char>(AsciiLower(ascii)));
}

}  // namespace

bool ClassNameBuffer::Is(std::string_view asciiName) const {
    return size == asciiName.size() && StartsWith(asciiName);
}

bool ClassNameBuffer::StartsWith(std::string_view asciiPrefix) const {
    if (asciiPrefix.size() > size) return false;
    for (std::size_t i = 0; i < asciiPrefix.size(); ++i)
        if (!SameIgnoringCase(units[i], asciiPrefix[i])) return false;
    return true;
}

LowerClassText::LowerClassText(const ClassNameBuffer& name) : size(name.size) {
    for (std::size_t i = 0; i < size; ++i) {
        const char16_t u = name.units[i];
        text[i] = u < 0x80 ? AsciiLower(static_cast<char>(u)) : '\x7f';
    }
}

}  // namespace tessel
