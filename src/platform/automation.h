#pragma once
// UI Automation as the portable core sees it: one narrow operation per COM
// call, over counted references that are released exactly once. The caret
// and editability procedures are free functions over these primitives; the
// Win32 adapter forwards each one to COM and does nothing else.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/counted_ref.h"
#include "platform/types.h"

namespace tessel {

class Automation;

enum class UiaRefKind : std::uint8_t { Element, Pattern, Range, RangeArray };

// References to UI Automation objects; the kind keeps elements, patterns,
// ranges and range arrays apart.
template <UiaRefKind Kind>
using UiaRef = CountedRef<Automation, Kind>;

using UiaElementRef = UiaRef<UiaRefKind::Element>;
using UiaPatternRef = UiaRef<UiaRefKind::Pattern>;
using UiaRangeRef = UiaRef<UiaRefKind::Range>;
using UiaRangeArrayRef = UiaRef<UiaRefKind::RangeArray>;

// The three text patterns asked for (their UIA pattern ids).
enum class TextPatternKind : int { Text = 10014, Text2 = 10024, TextEdit = 10032 };
enum class TextEndpoint : int { Start = 0, End = 1 };
enum class TextUnit : int { Character = 0 };

class Automation {
public:
    virtual ~Automation() = default;

    // The automation object exists (it does not under Wine 8).
    virtual bool Present() const noexcept = 0;
    // Its raw-view tree walker exists.
    virtual bool HasWalker() const noexcept = 0;
    // One update of the badge begins. After a provider has timed out, the
    // rest of an update answers empty at once instead of waiting again for
    // every call; the next update asks it afresh.
    virtual void BeginUpdate() noexcept = 0;
    // A provider timed out since BeginUpdate: what this update read is late,
    // not a "no" (no caret, not editable).
    virtual bool Late() const noexcept = 0;

    // --- elements ---
    virtual UiaElementRef FocusedElement() noexcept = 0;
    virtual UiaElementRef ElementFromWindow(WindowId window) noexcept = 0;
    virtual UiaElementRef ElementFromPoint(Point point) noexcept = 0;
    // Raw-view walker steps; empty without a walker, on failure or at the end.
    virtual UiaElementRef Parent(const UiaElementRef& element) noexcept = 0;
    virtual UiaElementRef FirstChild(const UiaElementRef& element) noexcept = 0;
    virtual UiaElementRef NextSibling(const UiaElementRef& element) noexcept = 0;

    // --- properties (GetCurrentPropertyValueEx, default values ignored) ---
    // Empty when the call fails or the value has another type.
    virtual std::optional<bool> BoolProperty(const UiaElementRef& element, int propertyId) noexcept = 0;
    virtual std::optional<std::int32_t> I32Property(const UiaElementRef& element, int propertyId) noexcept = 0;
    // UTF-8 text of a VT_BSTR (a null BSTR is empty text).
    virtual std::optional<std::string> StringProperty(const UiaElementRef& element, int propertyId) noexcept = 0;
    // A one-dimensional VT_ARRAY|VT_R8, copied into `out` (cleared first);
    // false when the read fails or has another shape.
    virtual bool DoublesProperty(const UiaElementRef& element, int propertyId, std::vector<double>& out) noexcept = 0;

    // --- text patterns and ranges ---
    virtual UiaPatternRef Pattern(const UiaElementRef& element, TextPatternKind kind) noexcept = 0;
    // GetSelection of any of the three patterns (all derive from the text pattern).
    virtual UiaRangeArrayRef Selection(const UiaPatternRef& pattern) noexcept = 0;
    virtual std::optional<int> RangeArrayLength(const UiaRangeArrayRef& array) noexcept = 0;
    virtual UiaRangeRef RangeArrayElement(const UiaRangeArrayRef& array, int index) noexcept = 0;
    // TextPattern2::GetCaretRange; `active` receives the caret-active flag.
    virtual UiaRangeRef CaretRange(const UiaPatternRef& text2, bool& active) noexcept = 0;
    // TextEditPattern::GetActiveComposition.
    virtual UiaRangeRef ActiveComposition(const UiaPatternRef& textEdit) noexcept = 0;
    virtual UiaRangeRef Clone(const UiaRangeRef& range) noexcept = 0;
    virtual std::optional<int> CompareEndpoints(const UiaRangeRef& range, TextEndpoint endpoint,
                                                const UiaRangeRef& target, TextEndpoint targetEndpoint) noexcept = 0;
    virtual bool ExpandToEnclosingUnit(const UiaRangeRef& range, TextUnit unit) noexcept = 0;
    virtual bool MoveEndpointByRange(const UiaRangeRef& range, TextEndpoint endpoint, const UiaRangeRef& target,
                                     TextEndpoint targetEndpoint) noexcept = 0;
    // The number of units moved, or empty when the call fails.
    virtual std::optional<int> MoveEndpointByUnit(const UiaRangeRef& range, TextEndpoint endpoint, TextUnit unit,
                                                  int count) noexcept = 0;
    // GetBoundingRectangles: groups of left, top, width, height, copied into
    // `out` (cleared first); false when the call fails.
    virtual bool BoundingRectangles(const UiaRangeRef& range, std::vector<double>& out) noexcept = 0;

    // --- references (used by UiaRef only) ---
    virtual void AddRef(std::uintptr_t handle) noexcept = 0;
    virtual void Release(std::uintptr_t handle) noexcept = 0;
};

// Where no automation object exists: every answer is empty.
class NoAutomation final : public Automation {
public:
    bool Present() const noexcept override { return false; }
    bool HasWalker() const noexcept override { return false; }
    void BeginUpdate() noexcept override {}
    bool Late() const noexcept override { return false; }
    UiaElementRef FocusedElement() noexcept override { return {}; }
    UiaElementRef ElementFromWindow(WindowId) noexcept override { return {}; }
    UiaElementRef ElementFromPoint(Point) noexcept override { return {}; }
    UiaElementRef Parent(const UiaElementRef&) noexcept override { return {}; }
    UiaElementRef FirstChild(const UiaElementRef&) noexcept override { return {}; }
    UiaElementRef NextSibling(const UiaElementRef&) noexcept override { return {}; }
    std::optional<bool> BoolProperty(const UiaElementRef&, int) noexcept override { return std::nullopt; }
    std::optional<std::int32_t> I32Property(const UiaElementRef&, int) noexcept override { return std::nullopt; }
    std::optional<std::string> StringProperty(const UiaElementRef&, int) noexcept override { return std::nullopt; }
    bool DoublesProperty(const UiaElementRef&, int, std::vector<double>&) noexcept override { return false; }
    UiaPatternRef Pattern(const UiaElementRef&, TextPatternKind) noexcept override { return {}; }
    UiaRangeArrayRef Selection(const UiaPatternRef&) noexcept override { return {}; }
    std::optional<int> RangeArrayLength(const UiaRangeArrayRef&) noexcept override { return std::nullopt; }
    UiaRangeRef RangeArrayElement(const UiaRangeArrayRef&, int) noexcept override { return {}; }
    UiaRangeRef CaretRange(const UiaPatternRef&, bool& active) noexcept override {
        active = false;
        return {};
    }
    UiaRangeRef ActiveComposition(const UiaPatternRef&) noexcept override { return {}; }
    UiaRangeRef Clone(const UiaRangeRef&) noexcept override { return {}; }
    std::optional<int> CompareEndpoints(const UiaRangeRef&, TextEndpoint, const UiaRangeRef&,
                                        TextEndpoint) noexcept override {
        return std::nullopt;
    }
    bool ExpandToEnclosingUnit(const UiaRangeRef&, TextUnit) noexcept override { return false; }
    bool MoveEndpointByRange(const UiaRangeRef&, TextEndpoint, const UiaRangeRef&, TextEndpoint) noexcept override {
        return false;
    }
    std::optional<int> MoveEndpointByUnit(const UiaRangeRef&, TextEndpoint, TextUnit, int) noexcept override {
        return std::nullopt;
    }
    bool BoundingRectangles(const UiaRangeRef&, std::vector<double>&) noexcept override { return false; }
    void AddRef(std::uintptr_t) noexcept override {}
    void Release(std::uintptr_t) noexcept override {}
};

}  // namespace tessel
