#include "editability/accessibility_caret.h"

#include <algorithm>

#include "common/saturate.h"

namespace tessel {

CaretInfo CaretFromAccessibleBox(const AccessibleBox& box) {
    // Compared as unsigned, so negative sizes fail too.
    const auto width = static_cast<std::uint32_t>(box.width);
    const auto height = static_cast<std::uint32_t>(box.height);
    if (width > 8 || height < 1 || height > 256) return {};
    CaretInfo c;
    c.Found = true;
    c.X = SatAdd(box.left, box.width == 0 ? 1 : box.width);
    c.Top = box.top;
    c.Bottom = std::max(SatAdd(box.top, box.height), SatAdd(box.top, 1));
    return c;
}

CaretInfo AccessibleCaret(Desktop& desktop, Accessibility& accessibility, WindowId window) {
    if (window == kNoWindow || !desktop.IsWindow(window)) return {};
    const std::optional<AccessibleBox> box = accessibility.CaretLocation(window);
    return box ? CaretFromAccessibleBox(*box) : CaretInfo{};
}

}  // namespace tessel
