#pragma once
// Plain values that stand for platform objects in the portable core.
#include <cstdint>

namespace tessel {

// A window handle as an opaque number; 0 is "no window".
using WindowId = std::uintptr_t;
constexpr WindowId kNoWindow = 0;

struct Point {
    std::int32_t x = 0;
    std::int32_t y = 0;
    friend constexpr bool operator==(const Point&, const Point&) = default;
};

struct Rect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
    friend constexpr bool operator==(const Rect&, const Rect&) = default;
};

// What GetGUIThreadInfo reports for one thread.
struct GuiThreadInfo {
    std::uint32_t flags = 0;
    WindowId active = kNoWindow;
    WindowId focus = kNoWindow;
    WindowId capture = kNoWindow;
    WindowId menuOwner = kNoWindow;
    WindowId moveSize = kNoWindow;
    WindowId caret = kNoWindow;
    Rect caretRect{};
};

enum class AncestorKind : std::uint8_t { Parent = 1, Root = 2, RootOwner = 3 };

}  // namespace tessel
