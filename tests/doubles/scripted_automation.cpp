#include "scripted_automation.h"

#include <algorithm>

namespace tessel::testing {
namespace {

constexpr int kKindShift = 56;
constexpr int kGenerationShift = 32;
constexpr std::uintptr_t kIndexMask = 0xFFFFFFFFu;

}  // namespace

ScriptedNode& ScriptedNode::Editable() {
    ints[uia_property::kControlType] = uia_control_type::kEdit;
    bools[uia_property::kIsEnabled] = true;
    bools[uia_property::kIsKeyboardFocusable] = true;
    bools[uia_property::kHasKeyboardFocus] = true;
    bools[uia_property::kIsTextEditPatternAvailable] = true;
    textPattern = text2Pattern = textEditPattern = true;
    return *this;
}

ScriptedNode& ScriptedNode::Is(Editability editability) {
    using namespace uia_property;
    for (int id : {kIsEnabled, kHasKeyboardFocus, kIsKeyboardFocusable, kIsTextEditPatternAvailable}) bools.erase(id);
    ints.erase(kControlType);
    strings.erase(kAriaRole);
    switch (editability) {
        case Editability::TextInput: return Editable();
        case Editability::EditableDocument:
            ints[kControlType] = uia_control_type::kDocument;
            bools[kIsTextEditPatternAvailable] = true;
            bools[kHasKeyboardFocus] = true;
            break;
        case Editability::NotEditable: bools[kIsEnabled] = false; break;
        case Editability::StaticText: ints[kControlType] = uia_control_type::kText; break;
        case Editability::CodeOrPresentation: strings[kAriaRole] = "code"; break;
        case Editability::UnknownEditability: break;
    }
    return *this;
}

ScriptedNode& ScriptedNode::Rect(double left, double top, double width, double height) {
    rect = ElementRect{left, top, width, height};
    return *this;
}

ScriptedNode& ScriptedNode::Text(int count, double left, double top, double width, double height) {
    chars.clear();
    for (int i = 0; i < count; ++i) chars.push_back(ElementRect{left + i * width, top, width, height});
    return *this;
}

ScriptedNode& ScriptedAutomation::Add(int id, int parent) {
    ScriptedNode& node = nodes_[id];
    node.parent = parent;
    if (parent) nodes_[parent].children.push_back(id);
    return node;
}

int ScriptedAutomation::TotalCalls() const {
    int total = 0;
    for (int n : calls_) total += n;
    return total;
}

int ScriptedAutomation::ElementsAsked() const {
    int n = 0;
    for (const auto& [id, node] : nodes_)
        if (node.asked > 0) ++n;
    return n;
}

void ScriptedAutomation::ResetCounts() {
    calls_.fill(0);
    for (auto& [id, node] : nodes_) node.asked = 0;
}

int ScriptedAutomation::LiveReferences() const {
    int live = 0;
    for (const auto& [id, node] : nodes_) live += node.refs;
    for (const Obj& o : objects_) live += o.refs;
    return live;
}

std::string ScriptedAutomation::ReferenceProblems() const {
    std::string problems;
    for (const auto& [id, node] : nodes_)
        if (node.refs != 0) problems += "element " + std::to_string(id) + " has " + std::to_string(node.refs) + " refs; ";
    static const char* const kNames[] = {"?", "element", "pattern", "range", "range array"};
    for (std::size_t i = 0; i < objects_.size(); ++i)
        if (objects_[i].refs != 0)
            problems += std::string(kNames[static_cast<int>(kinds_[i])]) + " of element " +
                        std::to_string(objects_[i].element) + " has " + std::to_string(objects_[i].refs) + " refs; ";
    if (doubleReleases_) problems += std::to_string(doubleReleases_) + " released twice; ";
    return problems;
}

bool ScriptedAutomation::Begin(UiaCall call) noexcept {
    ++calls_[static_cast<int>(call)];
    return present && !failing_[static_cast<int>(call)];
}

ScriptedNode* ScriptedAutomation::NodeOf(const UiaElementRef& element) noexcept {
    const std::uintptr_t h = element.Handle();
    if (static_cast<Kind>(h >> kKindShift) != Kind::Element) return nullptr;
    auto it = nodes_.find(static_cast<int>(h & kIndexMask));
    if (it == nodes_.end()) return nullptr;
    ++it->second.asked;
    return &it->second;
}

ScriptedAutomation::Obj* ScriptedAutomation::ObjOf(std::uintptr_t h) noexcept {
    const Kind kind = static_cast<Kind>(h >> kKindShift);
    if (kind == Kind::Element || h == 0) return nullptr;
    const std::size_t index = (h & kIndexMask) - 1;
    const auto generation = static_cast<std::uint32_t>((h >> kGenerationShift) & 0xFFFFFF);
    if (index >= objects_.size() || kinds_[index] != kind || objects_[index].generation != generation) return nullptr;
    return &objects_[index];
}

int* ScriptedAutomation::RefsOf(std::uintptr_t h) noexcept {
    if (static_cast<Kind>(h >> kKindShift) == Kind::Element) {
        auto it = nodes_.find(static_cast<int>(h & kIndexMask));
        return it == nodes_.end() ? nullptr : &it->second.refs;
    }
    Obj* o = ObjOf(h);
    return o ? &o->refs : nullptr;
}

UiaElementRef ScriptedAutomation::MakeElement(int id) noexcept {
    auto it = nodes_.find(id);
    if (id == 0 || it == nodes_.end()) return {};
    ++it->second.refs;
    return UiaElementRef(this, (static_cast<std::uintptr_t>(Kind::Element) << kKindShift) | static_cast<std::uintptr_t>(id));
}

std::uintptr_t ScriptedAutomation::MakeObj(Kind kind, const Obj& obj) noexcept {
    std::size_t index;
    if (!free_.empty()) {
        index = free_.back();
        free_.pop_back();
    } else {
        index = objects_.size();
        objects_.push_back({});
        kinds_.push_back(kind);
    }
    const std::uint32_t generation = (objects_[index].generation + 1) & 0xFFFFFF;
    objects_[index] = obj;
    objects_[index].refs = 1;
    objects_[index].generation = generation;
    kinds_[index] = kind;
    return (static_cast<std::uintptr_t>(kind) << kKindShift) |
           (static_cast<std::uintptr_t>(generation) << kGenerationShift) | (index + 1);
}

void ScriptedAutomation::AddRef(std::uintptr_t handle) noexcept {
    if (int* refs = RefsOf(handle); refs && *refs > 0) ++*refs;
    else ++doubleReleases_;  // a reference to something already gone
}

void ScriptedAutomation::Release(std::uintptr_t handle) noexcept {
    int* refs = RefsOf(handle);
    if (!refs || *refs <= 0) {
        ++doubleReleases_;
        return;
    }
    if (--*refs == 0 && static_cast<Kind>(handle >> kKindShift) != Kind::Element)
        free_.push_back((handle & kIndexMask) - 1);
}

UiaElementRef ScriptedAutomation::FocusedElement() noexcept {
    if (!Begin(UiaCall::FocusedElement)) return {};
    return MakeElement(focused);
}

UiaElementRef ScriptedAutomation::ElementFromWindow(WindowId window) noexcept {
    if (!Begin(UiaCall::ElementFromWindow)) return {};
    auto it = windowElements.find(window);
    return it == windowElements.end() ? UiaElementRef{} : MakeElement(it->second);
}

UiaElementRef ScriptedAutomation::ElementFromPoint(Point point) noexcept {
    if (!Begin(UiaCall::ElementFromPoint)) return {};
    lastPoint = point;
    return MakeElement(atPoint);
}

UiaElementRef ScriptedAutomation::Parent(const UiaElementRef& element) noexcept {
    if (!Begin(UiaCall::Parent) || !walker) return {};
    const ScriptedNode* node = NodeOf(element);
    return node ? MakeElement(node->parent) : UiaElementRef{};
}

UiaElementRef ScriptedAutomation::FirstChild(const UiaElementRef& element) noexcept {
    if (!Begin(UiaCall::FirstChild) || !walker) return {};
    const ScriptedNode* node = NodeOf(element);
    return node && !node->children.empty() ? MakeElement(node->children.front()) : UiaElementRef{};
}

UiaElementRef ScriptedAutomation::NextSibling(const UiaElementRef& element) noexcept {
    if (!Begin(UiaCall::NextSibling) || !walker) return {};
    const ScriptedNode* node = NodeOf(element);
    if (!node || !node->parent) return {};
    const std::vector<int>& siblings = nodes_[node->parent].children;
    const int id = static_cast<int>(element.Handle() & kIndexMask);
    auto it = std::find(siblings.begin(), siblings.end(), id);
    if (it == siblings.end() || ++it == siblings.end()) return {};
    return MakeElement(*it);
}

std::optional<bool> ScriptedAutomation::BoolProperty(const UiaElementRef& element, int propertyId) noexcept {
    const ScriptedNode* node = NodeOf(element);
    if (!Begin(UiaCall::BoolProperty) || !node) return std::nullopt;
    auto it = node->bools.find(propertyId);
    return it == node->bools.end() ? std::nullopt : std::optional<bool>(it->second);
}

std::optional<std::int32_t> ScriptedAutomation::I32Property(const UiaElementRef& element, int propertyId) noexcept {
    const ScriptedNode* node = NodeOf(element);
    if (!Begin(UiaCall::I32Property) || !node) return std::nullopt;
    auto it = node->ints.find(propertyId);
    return it == node->ints.end() ? std::nullopt : std::optional<std::int32_t>(it->second);
}

std::optional<std::string> ScriptedAutomation::StringProperty(const UiaElementRef& element, int propertyId) noexcept {
    const ScriptedNode* node = NodeOf(element);
    if (!Begin(UiaCall::StringProperty) || !node) return std::nullopt;
    auto it = node->strings.find(propertyId);
    return it == node->strings.end() ? std::nullopt : std::optional<std::string>(it->second);
}

bool ScriptedAutomation::DoublesProperty(const UiaElementRef& element, int propertyId, std::vector<double>& out) noexcept {
    out.clear();
    const ScriptedNode* node = NodeOf(element);
    if (!Begin(UiaCall::DoublesProperty) || !node || propertyId != uia_property::kBoundingRectangle || !node->rect)
        return false;
    out.insert(out.end(), {node->rect->left, node->rect->top, node->rect->width, node->rect->height});
    return true;
}

UiaPatternRef ScriptedAutomation::Pattern(const UiaElementRef& element, TextPatternKind kind) noexcept {
    const ScriptedNode* node = NodeOf(element);
    if (!Begin(UiaCall::Pattern) || !node) return {};
    const bool has = kind == TextPatternKind::Text    ? node->textPattern
                     : kind == TextPatternKind::Text2 ? node->text2Pattern
                                                      : node->textEditPattern;
    if (!has) return {};
    Obj o;
    o.element = static_cast<int>(element.Handle() & kIndexMask);
    o.pattern = kind;
    return UiaPatternRef(this, MakeObj(Kind::Pattern, o));
}

UiaRangeArrayRef ScriptedAutomation::Selection(const UiaPatternRef& pattern) noexcept {
    const Obj* p = ObjOf(pattern.Handle());
    if (!Begin(UiaCall::Selection) || !p) return {};
    Obj o;
    o.element = p->element;
    return UiaRangeArrayRef(this, MakeObj(Kind::Array, o));
}

std::optional<int> ScriptedAutomation::RangeArrayLength(const UiaRangeArrayRef& array) noexcept {
    const Obj* a = ObjOf(array.Handle());
    if (!Begin(UiaCall::RangeArrayLength) || !a) return std::nullopt;
    return static_cast<int>(nodes_[a->element].selection.size());
}

UiaRangeRef ScriptedAutomation::RangeArrayElement(const UiaRangeArrayRef& array, int index) noexcept {
    const Obj* a = ObjOf(array.Handle());
    if (!Begin(UiaCall::RangeArrayElement) || !a) return {};
    const std::vector<TextSpan>& selection = nodes_[a->element].selection;
    if (index < 0 || index >= static_cast<int>(selection.size())) return {};
    Obj o;
    o.element = a->element;
    o.span = selection[static_cast<std::size_t>(index)];
    return UiaRangeRef(this, MakeObj(Kind::Range, o));
}

UiaRangeRef ScriptedAutomation::CaretRange(const UiaPatternRef& text2, bool& active) noexcept {
    active = false;
    const Obj* p = ObjOf(text2.Handle());
    if (!Begin(UiaCall::CaretRange) || !p || p->pattern != TextPatternKind::Text2) return {};
    const ScriptedNode& node = nodes_[p->element];
    if (!node.caret) return {};
    active = node.caretActive;
    Obj o;
    o.element = p->element;
    o.span = *node.caret;
    return UiaRangeRef(this, MakeObj(Kind::Range, o));
}

UiaRangeRef ScriptedAutomation::ActiveComposition(const UiaPatternRef& textEdit) noexcept {
    const Obj* p = ObjOf(textEdit.Handle());
    if (!Begin(UiaCall::ActiveComposition) || !p || p->pattern != TextPatternKind::TextEdit) return {};
    const ScriptedNode& node = nodes_[p->element];
    if (!node.composition) return {};
    Obj o;
    o.element = p->element;
    o.span = *node.composition;
    return UiaRangeRef(this, MakeObj(Kind::Range, o));
}

UiaRangeRef ScriptedAutomation::Clone(const UiaRangeRef& range) noexcept {
    const Obj* r = ObjOf(range.Handle());
    if (!Begin(UiaCall::Clone) || !r) return {};
    const Obj copy = *r;  // MakeObj may move the pool
    return UiaRangeRef(this, MakeObj(Kind::Range, copy));
}

std::optional<int> ScriptedAutomation::CompareEndpoints(const UiaRangeRef& range, TextEndpoint endpoint,
                                                        const UiaRangeRef& target, TextEndpoint targetEndpoint) noexcept {
    const Obj* r = ObjOf(range.Handle());
    const Obj* t = ObjOf(target.Handle());
    if (!Begin(UiaCall::CompareEndpoints) || !r || !t) return std::nullopt;
    const int d = Position(*r, endpoint) - Position(*t, targetEndpoint);
    return d < 0 ? -1 : d > 0 ? 1 : 0;
}

void ScriptedAutomation::SetPosition(Obj& range, TextEndpoint endpoint, int position) noexcept {
    if (endpoint == TextEndpoint::Start) {
        range.span.start = position;
        range.span.end = std::max(range.span.end, position);
    } else {
        range.span.end = position;
        range.span.start = std::min(range.span.start, position);
    }
}

bool ScriptedAutomation::ExpandToEnclosingUnit(const UiaRangeRef& range, TextUnit) noexcept {
    Obj* r = ObjOf(range.Handle());
    if (!Begin(UiaCall::ExpandToEnclosingUnit) || !r) return false;
    const int length = static_cast<int>(nodes_[r->element].chars.size());
    if (r->span.start < length) r->span.end = r->span.start + 1;
    else if (length > 0) r->span = TextSpan{length - 1, length};  // at the end: the last character
    return true;
}

bool ScriptedAutomation::MoveEndpointByRange(const UiaRangeRef& range, TextEndpoint endpoint, const UiaRangeRef& target,
                                             TextEndpoint targetEndpoint) noexcept {
    Obj* r = ObjOf(range.Handle());
    const Obj* t = ObjOf(target.Handle());
    if (!Begin(UiaCall::MoveEndpointByRange) || !r || !t) return false;
    SetPosition(*r, endpoint, Position(*t, targetEndpoint));
    return true;
}

std::optional<int> ScriptedAutomation::MoveEndpointByUnit(const UiaRangeRef& range, TextEndpoint endpoint, TextUnit,
                                                          int count) noexcept {
    Obj* r = ObjOf(range.Handle());
    if (!Begin(UiaCall::MoveEndpointByUnit) || !r) return std::nullopt;
    const int length = static_cast<int>(nodes_[r->element].chars.size());
    const int from = Position(*r, endpoint);
    const int to = std::clamp(from + count, 0, length);
    SetPosition(*r, endpoint, to);
    return to - from;
}

bool ScriptedAutomation::BoundingRectangles(const UiaRangeRef& range, std::vector<double>& out) noexcept {
    out.clear();
    const Obj* r = ObjOf(range.Handle());
    if (!Begin(UiaCall::BoundingRectangles) || !r) return false;
    const ScriptedNode& node = nodes_[r->element];
    auto put = [&](const ElementRect& b) { out.insert(out.end(), {b.left, b.top, b.width, b.height}); };
    if (r->span.start == r->span.end) {
        for (const ElementRect& b : node.emptyRangeRects) put(b);
        return true;
    }
    for (int i = std::max(r->span.start, 0); i < r->span.end && i < static_cast<int>(node.chars.size()); ++i)
        put(node.chars[static_cast<std::size_t>(i)]);
    return true;
}

std::string UiaRig::Leaks() {
    EmptyFocusedElementCache(state.focusedElement);
    return a.ReferenceProblems();
}

}  // namespace tessel::testing
