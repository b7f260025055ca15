#pragma once
// A window class name as GetClassNameW fills it: at most 127 UTF-16 units in
// a fixed buffer, so that reading and comparing one allocates nothing.
#include <array>
#include <cstddef>
#include <string_view>

namespace tessel {

struct ClassNameBuffer {
    static constexpr std::size_t kCapacity = 128;  // units, terminating NUL included
    std::array<char16_t, kCapacity> units{};
    std::size_t size = 0;

    std::u16string_view View() const { return {units.data(), size}; }
    bool Empty() const { return size == 0; }
    // Equal to an ASCII name, ignoring ASCII letter case.
    bool Is(std::string_view asciiName) const;
    // Begins with an ASCII prefix, ignoring ASCII letter case.
    bool StartsWith(std::string_view asciiPrefix) const;
};

// The name lower-cased in ASCII as narrow text. A unit outside ASCII becomes
// 0x7F, which no name we compare with contains, so equality and prefix tests
// against ASCII names answer as they would on the full text.
struct LowerClassText {
    std::array<char, ClassNameBuffer::kCapacity> text{};
    std::size_t size = 0;

    explicit LowerClassText(const ClassNameBuffer& name);
    std::string_view View() const { return {text.data(), size}; }
    bool empty() const { return size == 0; }
    operator std::string_view() const { return View(); }
    friend bool operator==(const LowerClassText& a, std::string_view b) { return a.View() == b; }
};

}  // namespace tessel
