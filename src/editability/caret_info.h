#pragma once
// Where the caret stands on screen, in physical pixels.
#include <cstdint>

namespace tessel {

struct CaretInfo {
    bool Found = false;
    std::int32_t X = 0;
    std::int32_t Top = 0;
    std::int32_t Bottom = 0;  // a found caret always has Bottom >= Top + 1
    friend constexpr bool operator==(const CaretInfo&, const CaretInfo&) = default;
};

}  // namespace tessel
