#pragma once
// The UI Automation primitives forwarded one for one to COM.
#include "platform/automation.h"
#include "platform/uia_com_win32.h"

namespace tessel {

class Win32Automation final : public Automation {
public:
    // Borrows the objects start-up created (either may be null); they must
    // stay alive until Attach(nullptr, nullptr) or destruction.
    void Attach(uia::IUIAutomation* automation, uia::IUIAutomationTreeWalker* walker) noexcept {
        automation_ = automation;
        walker_ = walker;
    }

    bool Present() const noexcept override { return automation_ != nullptr; }
    bool HasWalker() const noexcept override { return walker_ != nullptr; }
    UiaElementRef FocusedElement() noexcept override;
    UiaElementRef ElementFromWindow(WindowId window) noexcept override;
    UiaElementRef ElementFromPoint(Point point) noexcept override;
    UiaElementRef Parent(const UiaElementRef& element) noexcept override;
    UiaElementRef FirstChild(const UiaElementRef& element) noexcept override;
    UiaElementRef NextSibling(const UiaElementRef& element) noexcept override;
    std::optional<bool> BoolProperty(const UiaElementRef& element, int propertyId) noexcept override;
    std::optional<std::int32_t> I32Property(const UiaElementRef& element, int propertyId) noexcept override;
    std::optional<std::string> StringProperty(const UiaElementRef& element, int propertyId) noexcept override;
    bool DoublesProperty(const UiaElementRef& element, int propertyId, std::vector<double>& out) noexcept override;
    UiaPatternRef Pattern(const UiaElementRef& element, TextPatternKind kind) noexcept override;
    UiaRangeArrayRef Selection(const UiaPatternRef& pattern) noexcept override;
    std::optional<int> RangeArrayLength(const UiaRangeArrayRef& array) noexcept override;
    UiaRangeRef RangeArrayElement(const UiaRangeArrayRef& array, int index) noexcept override;
    UiaRangeRef CaretRange(const UiaPatternRef& text2, bool& active) noexcept override;
    UiaRangeRef ActiveComposition(const UiaPatternRef& textEdit) noexcept override;
    UiaRangeRef Clone(const UiaRangeRef& range) noexcept override;
    std::optional<int> CompareEndpoints(const UiaRangeRef& range, TextEndpoint endpoint, const UiaRangeRef& target,
                                        TextEndpoint targetEndpoint) noexcept override;
    bool ExpandToEnclosingUnit(const UiaRangeRef& range, TextUnit unit) noexcept override;
    bool MoveEndpointByRange(const UiaRangeRef& range, TextEndpoint endpoint, const UiaRangeRef& target,
                             TextEndpoint targetEndpoint) noexcept override;
    std::optional<int> MoveEndpointByUnit(const UiaRangeRef& range, TextEndpoint endpoint, TextUnit unit,
                                          int count) noexcept override;
    bool BoundingRectangles(const UiaRangeRef& range, std::vector<double>& out) noexcept override;
    void AddRef(std::uintptr_t handle) noexcept override;
    void Release(std::uintptr_t handle) noexcept override;

private:
    uia::IUIAutomation* automation_ = nullptr;
    uia::IUIAutomationTreeWalker* walker_ = nullptr;
};

}  // namespace tessel
