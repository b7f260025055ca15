#pragma once
// A scripted UI Automation element tree: elements with properties by id, text
// patterns over a line of character boxes, selections, caret ranges and
// compositions. Every primitive call is counted, every reference is counted
// per object, and any primitive can be made to fail.
#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "doubles/fake_clock.h"
#include "doubles/scripted_desktop.h"
#include "editability/uia_element.h"
#include "editability/uia_state.h"
#include "platform/automation.h"

namespace tessel::testing {

enum class UiaCall : int {
    FocusedElement,
    ElementFromWindow,
    ElementFromPoint,
    Parent,
    FirstChild,
    NextSibling,
    BoolProperty,
    I32Property,
    StringProperty,
    DoublesProperty,
    Pattern,
    Selection,
    RangeArrayLength,
    RangeArrayElement,
    CaretRange,
    ActiveComposition,
    Clone,
    CompareEndpoints,
    ExpandToEnclosingUnit,
    MoveEndpointByRange,
    MoveEndpointByUnit,
    BoundingRectangles,
    kCount,
};

// Positions in an element's text, as character indices.
struct TextSpan {
    int start = 0;
    int end = 0;
};

struct ScriptedNode {
    int parent = 0;  // 0: none
    std::vector<int> children;
    std::map<int, bool> bools;
    std::map<int, std::int32_t> ints;
    std::map<int, std::string> strings;
    std::optional<ElementRect> rect;  // the bounding-rectangle property
    bool textPattern = false;
    bool text2Pattern = false;
    bool textEditPattern = false;
    // One box per character of the element's text.
    std::vector<ElementRect> chars;
    // What a range without characters reports (a caret bar, say); empty: nothing.
    std::vector<ElementRect> emptyRangeRects;
    std::vector<TextSpan> selection;
    std::optional<TextSpan> caret;
    bool caretActive = true;
    std::optional<TextSpan> composition;

    // --- observation ---
    int refs = 0;   // live references
    int asked = 0;  // calls that took this element as argument

    // Script helpers: an Edit-like field that has the focus and takes text;
    // properties that read as the given editability.
    ScriptedNode& Editable();
    ScriptedNode& Is(Editability editability);
    ScriptedNode& Rect(double left, double top, double width, double height);
    // `count` characters of the given width from (left, top), `height` high.
    ScriptedNode& Text(int count, double left, double top, double width, double height);
};

class ScriptedAutomation final : public Automation {
public:
    // --- script ---
    bool present = true;
    bool walker = true;
    int focused = 0;       // 0: no focused element
    int atPoint = 0;       // ElementFromPoint's answer
    std::map<WindowId, int> windowElements;
    std::optional<Point> lastPoint;
    int updatesBegun = 0;
    bool late = false;             // a provider timed out in this update
    bool lateEveryUpdate = false;  // BeginUpdate keeps `late` set

    ScriptedNode& Add(int id, int parent = 0);
    ScriptedNode& Node(int id) { return nodes_.at(id); }
    void Fail(UiaCall call, bool fail = true) { failing_[static_cast<int>(call)] = fail; }

    // --- observation ---
    int Calls(UiaCall call) const { return calls_[static_cast<int>(call)]; }
    int TotalCalls() const;
    // Elements that received at least one call since the last reset.
    int ElementsAsked() const;
    void ResetCounts();
    int LiveReferences() const;
    // Empty when no reference is alive and none was released twice; otherwise
    // names the offending objects.
    std::string ReferenceProblems() const;

    // --- Automation ---
    bool Present() const noexcept override { return present; }
    bool HasWalker() const noexcept override { return present && walker; }
    void BeginUpdate() noexcept override {
        ++updatesBegun;
        late = lateEveryUpdate;
    }
    bool Late() const noexcept override { return late; }
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
    enum class Kind : std::uintptr_t { Element = 1, Pattern, Range, Array };
    struct Obj {
        int element = 0;
        int refs = 0;
        TextSpan span;
        TextPatternKind pattern = TextPatternKind::Text;
        std::uint32_t generation = 0;  // tells a stale handle from the slot's new object
    };

    bool Begin(UiaCall call) noexcept;
    ScriptedNode* NodeOf(const UiaElementRef& element) noexcept;
    Obj* ObjOf(std::uintptr_t handle) noexcept;
    int* RefsOf(std::uintptr_t handle) noexcept;
    UiaElementRef MakeElement(int id) noexcept;
    std::uintptr_t MakeObj(Kind kind, const Obj& obj) noexcept;
    static int Position(const Obj& range, TextEndpoint endpoint) noexcept {
        return endpoint == TextEndpoint::Start ? range.span.start : range.span.end;
    }
    void SetPosition(Obj& range, TextEndpoint endpoint, int position) noexcept;

    std::map<int, ScriptedNode> nodes_;
    std::vector<Obj> objects_;  // patterns, ranges and arrays; slots are reused once released
    std::vector<Kind> kinds_;
    std::vector<std::size_t> free_;
    std::array<int, static_cast<int>(UiaCall::kCount)> calls_{};
    std::array<bool, static_cast<int>(UiaCall::kCount)> failing_{};
    int doubleReleases_ = 0;
};

// The automation tree, a desktop, a clock and the caches, as one UI
// Automation procedure sees them.
struct UiaRig {
    ScriptedAutomation a;
    ScriptedDesktop d;
    FakeClock clock;
    UiaState state;
    UiaEnv env{a, d, clock, state};

    // Empties the focused-element cache and reports leaked or twice-released
    // references (empty when there are none).
    std::string Leaks();
};

}  // namespace tessel::testing
