#include "platform/automation_win32.h"

// Placeholder bodies until the element and text interfaces are declared:
// every read answers "nothing", which is how the program behaves without UI
// Automation.
namespace tessel {

UiaElementRef Win32Automation::FocusedElement() noexcept { return {}; }
UiaElementRef Win32Automation::ElementFromWindow(WindowId) noexcept { return {}; }
UiaElementRef Win32Automation::ElementFromPoint(Point) noexcept { return {}; }
UiaElementRef Win32Automation::Parent(const UiaElementRef&) noexcept { return {}; }
UiaElementRef Win32Automation::FirstChild(const UiaElementRef&) noexcept { return {}; }
UiaElementRef Win32Automation::NextSibling(const UiaElementRef&) noexcept { return {}; }
std::optional<bool> Win32Automation::BoolProperty(const UiaElementRef&, int) noexcept { return std::nullopt; }
std::optional<std::int32_t> Win32Automation::I32Property(const UiaElementRef&, int) noexcept { return std::nullopt; }
std::optional<std::string> Win32Automation::StringProperty(const UiaElementRef&, int) noexcept { return std::nullopt; }
bool Win32Automation::DoublesProperty(const UiaElementRef&, int, std::vector<double>&) noexcept { return false; }
UiaPatternRef Win32Automation::Pattern(const UiaElementRef&, TextPatternKind) noexcept { return {}; }
UiaRangeArrayRef Win32Automation::Selection(const UiaPatternRef&) noexcept { return {}; }
std::optional<int> Win32Automation::RangeArrayLength(const UiaRangeArrayRef&) noexcept { return std::nullopt; }
UiaRangeRef Win32Automation::RangeArrayElement(const UiaRangeArrayRef&, int) noexcept { return {}; }
UiaRangeRef Win32Automation::CaretRange(const UiaPatternRef&, bool& active) noexcept {
    active = false;
    return {};
}
UiaRangeRef Win32Automation::ActiveComposition(const UiaPatternRef&) noexcept { return {}; }
UiaRangeRef Win32Automation::Clone(const UiaRangeRef&) noexcept { return {}; }
std::optional<int> Win32Automation::CompareEndpoints(const UiaRangeRef&, TextEndpoint, const UiaRangeRef&,
                                                     TextEndpoint) noexcept {
    return std::nullopt;
}
bool Win32Automation::ExpandToEnclosingUnit(const UiaRangeRef&, TextUnit) noexcept { return false; }
bool Win32Automation::MoveEndpointByRange(const UiaRangeRef&, TextEndpoint, const UiaRangeRef&, TextEndpoint) noexcept {
    return false;
}
std::optional<int> Win32Automation::MoveEndpointByUnit(const UiaRangeRef&, TextEndpoint, TextUnit, int) noexcept {
    return std::nullopt;
}
bool Win32Automation::BoundingRectangles(const UiaRangeRef&, std::vector<double>&) noexcept { return false; }
void Win32Automation::AddRef(std::uintptr_t) noexcept {}
void Win32Automation::Release(std::uintptr_t) noexcept {}

}  // namespace tessel
