#include "platform/automation_win32.h"

#include <cstring>

#include "common/text.h"

namespace tessel {
namespace {

using uia::IUIAutomationElement;
using uia::IUIAutomationTextEditPattern;
using uia::IUIAutomationTextPattern;
using uia::IUIAutomationTextPattern2;
using uia::IUIAutomationTextRange;
using uia::IUIAutomationTextRangeArray;

// A VARIANT that is cleared on every path, whatever type it ends up with.
struct VariantOwner {
    VARIANT value;
    VariantOwner() noexcept { ::VariantInit(&value); }
    ~VariantOwner() { ::VariantClear(&value); }
    VariantOwner(const VariantOwner&) = delete;
    VariantOwner& operator=(const VariantOwner&) = delete;
};

// An array a method returned, destroyed once its values are copied.
struct SafeArrayOwner {
    SAFEARRAY* array;
    explicit SafeArrayOwner(SAFEARRAY* a) noexcept : array(a) {}
    ~SafeArrayOwner() {
        if (array) ::SafeArrayDestroy(array);
    }
    SafeArrayOwner(const SafeArrayOwner&) = delete;
    SafeArrayOwner& operator=(const SafeArrayOwner&) = delete;
};

// Copies a one-dimensional array of doubles; false for any other shape. May
// throw on allocation, before the array is locked.
bool CopyDoubles(SAFEARRAY* array, std::vector<double>& out) {
    out.clear();
    if (!array || ::SafeArrayGetDim(array) != 1 || ::SafeArrayGetElemsize(array) != sizeof(double)) return false;
    LONG lower = 0;
    LONG upper = 0;
    if (FAILED(::SafeArrayGetLBound(array, 1, &lower)) || FAILED(::SafeArrayGetUBound(array, 1, &upper))) return false;
    if (upper < lower) return true;
    const auto count = static_cast<std::size_t>(static_cast<long long>(upper) - lower + 1);
    out.resize(count);
    void* data = nullptr;
    if (FAILED(::SafeArrayAccessData(array, &data)) || !data) {
        out.clear();
        return false;
    }
    std::memcpy(out.data(), data, count * sizeof(double));
    ::SafeArrayUnaccessData(array);
    return true;
}

const IID* PatternIid(TextPatternKind kind) noexcept {
    switch (kind) {
        case TextPatternKind::Text: return &uia::kIidIUIAutomationTextPattern;
        case TextPatternKind::Text2: return &uia::kIidIUIAutomationTextPattern2;
        case TextPatternKind::TextEdit: return &uia::kIidIUIAutomationTextEditPattern;
    }
    return nullptr;
}

}  // namespace

UiaObjects CreateUiAutomation(CreateInstanceFn create) noexcept {
    UiaObjects objects;
    if (!create) return objects;
    // Only the Windows 8 class offers the time-outs; Windows 7 has the older
    // class alone.
    uia::IUIAutomation* automation = nullptr;
    for (const GUID* clsid : {&uia::kClsidCUIAutomation8, &uia::kClsidCUIAutomation}) {
        if (SUCCEEDED(create(*clsid, nullptr, CLSCTX_INPROC_SERVER, uia::kIidIUIAutomation,
                             reinterpret_cast<void**>(&automation))) &&
            automation)
            break;
        // A failed creation may still have written the out-pointer.
        automation = nullptr;
    }
    if (!automation) return objects;
    objects.automation = ComPtr<uia::IUIAutomation>::Adopt(automation);

    // The time-outs hold for the whole object; its older versions lack them.
    uia::IUIAutomation2* automation2 = nullptr;
    if (SUCCEEDED(automation->QueryInterface(uia::kIidIUIAutomation2, reinterpret_cast<void**>(&automation2))) &&
        automation2) {
        automation2->put_ConnectionTimeout(kUiaConnectionTimeoutMs);
        automation2->put_TransactionTimeout(kUiaTransactionTimeoutMs);
        automation2->Release();
    }
    uia::IUIAutomationTreeWalker* walker = nullptr;
    if (SUCCEEDED(automation->get_RawViewWalker(&walker)) && walker)
        objects.rawWalker = ComPtr<uia::IUIAutomationTreeWalker>::Adopt(walker);
    return objects;
}

UiaElementRef Win32Automation::FocusedElement() noexcept {
    uia::IUIAutomation* automation = Client();
    if (!automation) return {};
    IUIAutomationElement* element = nullptr;
    HRESULT hr = automation->GetFocusedElement(&element);
    return Adopt<UiaRefKind::Element>(hr, element);
}

UiaElementRef Win32Automation::ElementFromWindow(WindowId window) noexcept {
    uia::IUIAutomation* automation = Client();
    if (!automation || window == kNoWindow) return {};
    IUIAutomationElement* element = nullptr;
    HRESULT hr = automation->ElementFromHandle(reinterpret_cast<HWND>(window), &element);
    return Adopt<UiaRefKind::Element>(hr, element);
}

UiaElementRef Win32Automation::ElementFromPoint(Point point) noexcept {
    uia::IUIAutomation* automation = Client();
    if (!automation) return {};
    IUIAutomationElement* element = nullptr;
    HRESULT hr = automation->ElementFromPoint(POINT{point.x, point.y}, &element);
    return Adopt<UiaRefKind::Element>(hr, element);
}

UiaElementRef Win32Automation::Walk(const UiaElementRef& element, WalkStep step) noexcept {
    auto* e = Com<IUIAutomationElement>(element);
    if (!walker_ || !e) return {};
    IUIAutomationElement* reached = nullptr;
    HRESULT hr = (walker_->*step)(e, &reached);
    return Adopt<UiaRefKind::Element>(hr, reached);
}

UiaElementRef Win32Automation::Parent(const UiaElementRef& element) noexcept {
    return Walk(element, &uia::IUIAutomationTreeWalker::GetParentElement);
}

UiaElementRef Win32Automation::FirstChild(const UiaElementRef& element) noexcept {
    return Walk(element, &uia::IUIAutomationTreeWalker::GetFirstChildElement);
}

UiaElementRef Win32Automation::NextSibling(const UiaElementRef& element) noexcept {
    return Walk(element, &uia::IUIAutomationTreeWalker::GetNextSiblingElement);
}

bool Win32Automation::ReadProperty(const UiaElementRef& element, int propertyId, VARTYPE vt, VARIANT& value) noexcept {
    auto* e = Com<IUIAutomationElement>(element);
    return e && Ok(e->GetCurrentPropertyValueEx(propertyId, TRUE, &value)) && value.vt == vt;
}

std::optional<bool> Win32Automation::BoolProperty(const UiaElementRef& element, int propertyId) noexcept {
    VariantOwner v;
    if (!ReadProperty(element, propertyId, VT_BOOL, v.value)) return std::nullopt;
    return v.value.boolVal != VARIANT_FALSE;
}

std::optional<std::int32_t> Win32Automation::I32Property(const UiaElementRef& element, int propertyId) noexcept {
    VariantOwner v;
    if (!ReadProperty(element, propertyId, VT_I4, v.value)) return std::nullopt;
    return static_cast<std::int32_t>(v.value.lVal);
}

std::optional<std::string> Win32Automation::StringProperty(const UiaElementRef& element, int propertyId) noexcept {
    try {
        VariantOwner v;
        if (!ReadProperty(element, propertyId, VT_BSTR, v.value)) return std::nullopt;
        if (!v.value.bstrVal) return std::string();
        return Utf16ToUtf8(
            std::u16string_view(reinterpret_cast<const char16_t*>(v.value.bstrVal), ::SysStringLen(v.value.bstrVal)));
    } catch (...) {
        return std::nullopt;
    }
}

bool Win32Automation::DoublesProperty(const UiaElementRef& element, int propertyId, std::vector<double>& out) noexcept {
    out.clear();
    try {
        // The array belongs to the VARIANT: clearing it destroys the array.
        VariantOwner v;
        if (!ReadProperty(element, propertyId, VT_ARRAY | VT_R8, v.value)) return false;
        return CopyDoubles(v.value.parray, out);
    } catch (...) {
        out.clear();
        return false;
    }
}

UiaPatternRef Win32Automation::Pattern(const UiaElementRef& element, TextPatternKind kind) noexcept {
    auto* e = Com<IUIAutomationElement>(element);
    const IID* iid = PatternIid(kind);
    if (!e || !iid) return {};
    void* pattern = nullptr;
    HRESULT hr = e->GetCurrentPatternAs(static_cast<int>(kind), *iid, &pattern);
    return Adopt<UiaRefKind::Pattern>(hr, pattern);
}

// The three text patterns derive from the text pattern with single
// inheritance, so any of them is a valid text pattern pointer.
UiaRangeArrayRef Win32Automation::Selection(const UiaPatternRef& pattern) noexcept {
    auto* p = Com<IUIAutomationTextPattern>(pattern);
    if (!p) return {};
    IUIAutomationTextRangeArray* ranges = nullptr;
    HRESULT hr = p->GetSelection(&ranges);
    return Adopt<UiaRefKind::RangeArray>(hr, ranges);
}

std::optional<int> Win32Automation::RangeArrayLength(const UiaRangeArrayRef& array) noexcept {
    auto* a = Com<IUIAutomationTextRangeArray>(array);
    int length = 0;
    if (!a || !Ok(a->get_Length(&length))) return std::nullopt;
    return length;
}

UiaRangeRef Win32Automation::RangeArrayElement(const UiaRangeArrayRef& array, int index) noexcept {
    auto* a = Com<IUIAutomationTextRangeArray>(array);
    if (!a) return {};
    IUIAutomationTextRange* range = nullptr;
    HRESULT hr = a->GetElement(index, &range);
    return Adopt<UiaRefKind::Range>(hr, range);
}

UiaRangeRef Win32Automation::CaretRange(const UiaPatternRef& text2, bool& active) noexcept {
    active = false;
    auto* p = Com<IUIAutomationTextPattern2>(text2);
    if (!p) return {};
    BOOL isActive = FALSE;
    IUIAutomationTextRange* range = nullptr;
    HRESULT hr = p->GetCaretRange(&isActive, &range);
    active = Ok(hr) && isActive;
    return Adopt<UiaRefKind::Range>(hr, range);
}

UiaRangeRef Win32Automation::ActiveComposition(const UiaPatternRef& textEdit) noexcept {
    auto* p = Com<IUIAutomationTextEditPattern>(textEdit);
    if (!p) return {};
    IUIAutomationTextRange* range = nullptr;
    HRESULT hr = p->GetActiveComposition(&range);
    return Adopt<UiaRefKind::Range>(hr, range);
}

UiaRangeRef Win32Automation::Clone(const UiaRangeRef& range) noexcept {
    auto* r = Com<IUIAutomationTextRange>(range);
    if (!r) return {};
    IUIAutomationTextRange* clone = nullptr;
    HRESULT hr = r->Clone(&clone);
    return Adopt<UiaRefKind::Range>(hr, clone);
}

std::optional<int> Win32Automation::CompareEndpoints(const UiaRangeRef& range, TextEndpoint endpoint,
                                                     const UiaRangeRef& target, TextEndpoint targetEndpoint) noexcept {
    auto* r = Com<IUIAutomationTextRange>(range);
    auto* t = Com<IUIAutomationTextRange>(target);
    int result = 0;
    if (!r || !t ||
        !Ok(r->CompareEndpoints(static_cast<int>(endpoint), t, static_cast<int>(targetEndpoint), &result)))
        return std::nullopt;
    return result;
}

bool Win32Automation::ExpandToEnclosingUnit(const UiaRangeRef& range, TextUnit unit) noexcept {
    auto* r = Com<IUIAutomationTextRange>(range);
    return r && Ok(r->ExpandToEnclosingUnit(static_cast<int>(unit)));
}

bool Win32Automation::MoveEndpointByRange(const UiaRangeRef& range, TextEndpoint endpoint, const UiaRangeRef& target,
                                          TextEndpoint targetEndpoint) noexcept {
    auto* r = Com<IUIAutomationTextRange>(range);
    auto* t = Com<IUIAutomationTextRange>(target);
    return r && t && Ok(r->MoveEndpointByRange(static_cast<int>(endpoint), t, static_cast<int>(targetEndpoint)));
}

std::optional<int> Win32Automation::MoveEndpointByUnit(const UiaRangeRef& range, TextEndpoint endpoint, TextUnit unit,
                                                       int count) noexcept {
    auto* r = Com<IUIAutomationTextRange>(range);
    int moved = 0;
    if (!r || !Ok(r->MoveEndpointByUnit(static_cast<int>(endpoint), static_cast<int>(unit), count, &moved)))
        return std::nullopt;
    return moved;
}

bool Win32Automation::BoundingRectangles(const UiaRangeRef& range, std::vector<double>& out) noexcept {
    out.clear();
    auto* r = Com<IUIAutomationTextRange>(range);
    if (!r) return false;
    try {
        SAFEARRAY* array = nullptr;
        if (!Ok(r->GetBoundingRectangles(&array))) return false;
        SafeArrayOwner rectangles(array);
        // No array at all is a range without rectangles.
        return !array || CopyDoubles(array, out);
    } catch (...) {
        out.clear();
        return false;
    }
}

void Win32Automation::AddRef(std::uintptr_t handle) noexcept {
    if (handle) reinterpret_cast<IUnknown*>(handle)->AddRef();
}

void Win32Automation::Release(std::uintptr_t handle) noexcept {
    if (handle) reinterpret_cast<IUnknown*>(handle)->Release();
}

}  // namespace tessel
