#include "win32/uia_fake_win32.h"

#include <algorithm>

namespace tessel::testing::uia_fake {
namespace {

std::string Args(std::initializer_list<long long> values) {
    std::string text;
    for (long long v : values) {
        text += ' ';
        text += std::to_string(v);
    }
    return text;
}

}  // namespace

ULONG Counted::Add() {
    ++world_.liveRefs;
    return static_cast<ULONG>(++refs);
}

ULONG Counted::Drop() {
    if (refs == 0) {
        ++world_.overReleases;
        return 0;
    }
    --world_.liveRefs;
    return static_cast<ULONG>(--refs);
}

#define UIA_FAKE_QUERY(Class, Interface)                                                  \
    HRESULT STDMETHODCALLTYPE Class::QueryInterface(REFIID iid, void** out) {             \
        *out = nullptr;                                                                   \
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, kIid##Interface)) return E_NOINTERFACE; \
        return Give(static_cast<Interface*>(this), reinterpret_cast<Interface**>(out));  \
    }

UIA_FAKE_QUERY(Element, IUIAutomationElement)
UIA_FAKE_QUERY(Walker, IUIAutomationTreeWalker)
UIA_FAKE_QUERY(Range, IUIAutomationTextRange)
UIA_FAKE_QUERY(RangeArray, IUIAutomationTextRangeArray)

HRESULT STDMETHODCALLTYPE TextPattern::QueryInterface(REFIID iid, void** out) {
    *out = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, kIidIUIAutomationTextPattern) ||
        IsEqualIID(iid, kIidIUIAutomationTextPattern2))
        return Give(static_cast<IUIAutomationTextPattern2*>(this), reinterpret_cast<IUIAutomationTextPattern2**>(out));
    if (IsEqualIID(iid, kIidIUIAutomationTextEditPattern))
        return Give(static_cast<IUIAutomationTextEditPattern*>(this),
                    reinterpret_cast<IUIAutomationTextEditPattern**>(out));
    return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE Automation::QueryInterface(REFIID iid, void** out) {
    *out = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, kIidIUIAutomation) ||
        (IsEqualCLSID(clsid, kClsidCUIAutomation8) && IsEqualIID(iid, kIidIUIAutomation2)))
        return Give(static_cast<IUIAutomation2*>(this), reinterpret_cast<IUIAutomation2**>(out));
    return E_NOINTERFACE;
}

Element* Element::AddChild() {
    Element* child = world_.Make<Element>();
    child->parent = this;
    children.push_back(child);
    return child;
}

void Element::Set(int propertyId, Value value) {
    for (auto& p : properties)
        if (p.first == propertyId) {
            p.second = std::move(value);
            return;
        }
    properties.emplace_back(propertyId, std::move(value));
}

HRESULT STDMETHODCALLTYPE Element::GetCurrentPropertyValueEx(int propertyId, BOOL ignoreDefault, VARIANT* out) {
    ::VariantInit(out);
    if (world_.Call("GetCurrentPropertyValueEx" + Args({propertyId, ignoreDefault}))) return world_.failure;
    auto found = std::find_if(properties.begin(), properties.end(),
                              [&](const auto& p) { return p.first == propertyId; });
    if (found == properties.end()) return S_OK;  // VT_EMPTY: not supported
    const Value& value = found->second;
    if (auto* b = std::get_if<bool>(&value)) {
        out->vt = VT_BOOL;
        out->boolVal = *b ? VARIANT_TRUE : VARIANT_FALSE;
    } else if (auto* i = std::get_if<std::int32_t>(&value)) {
        out->vt = VT_I4;
        out->lVal = *i;
    } else if (auto* s = std::get_if<std::u16string>(&value)) {
        out->vt = VT_BSTR;
        out->bstrVal = ::SysAllocStringLen(reinterpret_cast<const OLECHAR*>(s->data()), static_cast<UINT>(s->size()));
    } else if (std::holds_alternative<NullString>(value)) {
        out->vt = VT_BSTR;
        out->bstrVal = nullptr;
    } else if (auto* d = std::get_if<std::vector<double>>(&value)) {
        out->vt = VT_ARRAY | VT_R8;
        out->parray = ::SafeArrayCreateVector(VT_R8, 0, static_cast<ULONG>(d->size()));
        for (LONG k = 0; k < static_cast<LONG>(d->size()); ++k) {
            double item = (*d)[k];
            ::SafeArrayPutElement(out->parray, &k, &item);
        }
    } else {
        SAFEARRAYBOUND bounds[2] = {{2, 0}, {2, 0}};
        out->vt = VT_ARRAY | VT_R8;
        out->parray = ::SafeArrayCreate(VT_R8, 2, bounds);
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE Element::GetCurrentPatternAs(int patternId, REFIID iid, void** out) {
    *out = nullptr;
    if (world_.Call("GetCurrentPatternAs" + Args({patternId}))) return world_.failure;
    if (!text) return S_OK;  // the pattern is not supported
    if (patternId == 10014 && IsEqualIID(iid, kIidIUIAutomationTextPattern))
        return Give(static_cast<IUIAutomationTextPattern*>(static_cast<IUIAutomationTextPattern2*>(text)),
                    reinterpret_cast<IUIAutomationTextPattern**>(out));
    if (patternId == 10024 && IsEqualIID(iid, kIidIUIAutomationTextPattern2))
        return Give(static_cast<IUIAutomationTextPattern2*>(text), reinterpret_cast<IUIAutomationTextPattern2**>(out));
    if (patternId == 10032 && IsEqualIID(iid, kIidIUIAutomationTextEditPattern))
        return Give(static_cast<IUIAutomationTextEditPattern*>(text),
                    reinterpret_cast<IUIAutomationTextEditPattern**>(out));
    return E_INVALIDARG;
}

HRESULT STDMETHODCALLTYPE Walker::GetParentElement(IUIAutomationElement* element, IUIAutomationElement** out) {
    *out = nullptr;
    if (world_.Call("GetParentElement")) return world_.failure;
    return Give(static_cast<Element*>(element)->parent, out);
}

HRESULT STDMETHODCALLTYPE Walker::GetFirstChildElement(IUIAutomationElement* element, IUIAutomationElement** out) {
    *out = nullptr;
    if (world_.Call("GetFirstChildElement")) return world_.failure;
    auto& children = static_cast<Element*>(element)->children;
    return Give(children.empty() ? nullptr : children.front(), out);
}

HRESULT STDMETHODCALLTYPE Walker::GetNextSiblingElement(IUIAutomationElement* element, IUIAutomationElement** out) {
    *out = nullptr;
    if (world_.Call("GetNextSiblingElement")) return world_.failure;
    auto* e = static_cast<Element*>(element);
    if (!e->parent) return S_OK;
    auto& siblings = e->parent->children;
    auto at = std::find(siblings.begin(), siblings.end(), e);
    return Give(at + 1 < siblings.end() ? *(at + 1) : nullptr, out);
}

HRESULT STDMETHODCALLTYPE Range::Clone(IUIAutomationTextRange** out) {
    *out = nullptr;
    if (world_.Call("Clone")) return world_.failure;
    Range* copy = world_.Make<Range>();
    copy->rectangles = rectangles;
    copy->comparison = comparison;
    copy->moved = moved;
    return Give(copy, out);
}

HRESULT STDMETHODCALLTYPE Range::CompareEndpoints(uia::TextPatternRangeEndpoint endpoint, IUIAutomationTextRange* target,
                                                  uia::TextPatternRangeEndpoint targetEndpoint, int* out) {
    *out = 0;
    if (world_.Call("CompareEndpoints" + Args({endpoint, target == this, targetEndpoint}))) return world_.failure;
    *out = comparison;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE Range::ExpandToEnclosingUnit(uia::TextUnit unit) {
    return world_.Call("ExpandToEnclosingUnit" + Args({unit})) ? world_.failure : S_OK;
}

HRESULT STDMETHODCALLTYPE Range::GetBoundingRectangles(SAFEARRAY** out) {
    *out = nullptr;
    if (world_.Call("GetBoundingRectangles")) return world_.failure;
    *out = ::SafeArrayCreateVector(VT_R8, 0, static_cast<ULONG>(rectangles.size()));
    for (LONG k = 0; k < static_cast<LONG>(rectangles.size()); ++k) ::SafeArrayPutElement(*out, &k, &rectangles[k]);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE Range::MoveEndpointByUnit(uia::TextPatternRangeEndpoint endpoint, uia::TextUnit unit, int count,
                                                    int* out) {
    *out = 0;
    if (world_.Call("MoveEndpointByUnit" + Args({endpoint, unit, count}))) return world_.failure;
    *out = moved;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE Range::MoveEndpointByRange(uia::TextPatternRangeEndpoint endpoint, IUIAutomationTextRange* target,
                                                     uia::TextPatternRangeEndpoint targetEndpoint) {
    return world_.Call("MoveEndpointByRange" + Args({endpoint, target == this, targetEndpoint})) ? world_.failure : S_OK;
}

HRESULT STDMETHODCALLTYPE RangeArray::get_Length(int* out) {
    *out = 0;
    if (world_.Call("get_Length")) return world_.failure;
    *out = static_cast<int>(ranges.size());
    return S_OK;
}

HRESULT STDMETHODCALLTYPE RangeArray::GetElement(int index, IUIAutomationTextRange** out) {
    *out = nullptr;
    if (world_.Call("GetElement" + Args({index}))) return world_.failure;
    if (index < 0 || index >= static_cast<int>(ranges.size())) return E_INVALIDARG;
    return Give(ranges[index], out);
}

HRESULT STDMETHODCALLTYPE TextPattern::GetSelection(IUIAutomationTextRangeArray** out) {
    *out = nullptr;
    if (world_.Call("GetSelection")) return world_.failure;
    return Give(selection, out);
}

HRESULT STDMETHODCALLTYPE TextPattern::GetCaretRange(BOOL* active, IUIAutomationTextRange** out) {
    *active = FALSE;
    *out = nullptr;
    if (world_.Call("GetCaretRange")) return world_.failure;
    *active = caretActive;
    return Give(caret, out);
}

HRESULT STDMETHODCALLTYPE TextPattern::GetActiveComposition(IUIAutomationTextRange** out) {
    *out = nullptr;
    if (world_.Call("GetActiveComposition")) return world_.failure;
    return Give(composition, out);
}

HRESULT STDMETHODCALLTYPE Automation::GetFocusedElement(IUIAutomationElement** out) {
    *out = nullptr;
    if (world_.Call("GetFocusedElement")) return world_.failure;
    return Give(focused, out);
}

HRESULT STDMETHODCALLTYPE Automation::ElementFromHandle(HWND window, IUIAutomationElement** out) {
    *out = nullptr;
    if (world_.Call("ElementFromHandle")) return world_.failure;
    askedWindow = window;
    return Give(fromWindow, out);
}

HRESULT STDMETHODCALLTYPE Automation::ElementFromPoint(POINT point, IUIAutomationElement** out) {
    *out = nullptr;
    if (world_.Call("ElementFromPoint")) return world_.failure;
    askedPoint = point;
    return Give(fromPoint, out);
}

HRESULT STDMETHODCALLTYPE Automation::get_RawViewWalker(IUIAutomationTreeWalker** out) {
    *out = nullptr;
    if (world_.Call("get_RawViewWalker")) return world_.failure;
    return Give(walker, out);
}

HRESULT STDMETHODCALLTYPE Automation::put_ConnectionTimeout(DWORD timeout) {
    if (world_.Call("put_ConnectionTimeout")) return world_.failure;
    connectionTimeout = timeout;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE Automation::put_TransactionTimeout(DWORD timeout) {
    if (world_.Call("put_TransactionTimeout")) return world_.failure;
    transactionTimeout = timeout;
    return S_OK;
}

namespace {
// IID_IMallocSpy {0000001d-0000-0000-c000-000000000046}, defined here for the
// same reason as the automation identifiers.
constexpr GUID kIidIMallocSpy = {0x0000001d, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
}  // namespace

TaskMemoryCounter* TaskMemoryCounter::Install() {
    static TaskMemoryCounter* installed = [] {
        using SetOaNoCacheFn = void(WINAPI*)();
        if (HMODULE oleaut = ::GetModuleHandleW(L"oleaut32.dll"))
            if (auto noCache = reinterpret_cast<SetOaNoCacheFn>(
                    reinterpret_cast<void*>(::GetProcAddress(oleaut, "SetOaNoCache"))))
                noCache();
        auto* counter = new TaskMemoryCounter;  // registered for the life of the process
        return SUCCEEDED(::CoRegisterMallocSpy(counter)) ? counter : nullptr;
    }();
    return installed;
}

std::size_t TaskMemoryCounter::Live() {
    ::EnterCriticalSection(&lock_);
    std::size_t n = live_.size();
    ::LeaveCriticalSection(&lock_);
    return n;
}

HRESULT STDMETHODCALLTYPE TaskMemoryCounter::QueryInterface(REFIID iid, void** out) {
    *out = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, kIidIMallocSpy) ? this : nullptr;
    return *out ? S_OK : E_NOINTERFACE;
}

// The allocator calls the spy under its own lock; ours guards Live().
void* STDMETHODCALLTYPE TaskMemoryCounter::PostAlloc(void* block) {
    ::EnterCriticalSection(&lock_);
    if (block) live_.insert(block);
    ::LeaveCriticalSection(&lock_);
    return block;
}

void* STDMETHODCALLTYPE TaskMemoryCounter::PreFree(void* block, BOOL) {
    ::EnterCriticalSection(&lock_);
    live_.erase(block);
    ::LeaveCriticalSection(&lock_);
    return block;
}

SIZE_T STDMETHODCALLTYPE TaskMemoryCounter::PreRealloc(void* block, SIZE_T size, void** newRequest, BOOL) {
    ::EnterCriticalSection(&lock_);
    reallocating_ = live_.erase(block) && size ? block : nullptr;
    ::LeaveCriticalSection(&lock_);
    *newRequest = block;
    return size;
}

void* STDMETHODCALLTYPE TaskMemoryCounter::PostRealloc(void* block, BOOL) {
    ::EnterCriticalSection(&lock_);
    if (block) live_.insert(block);
    else if (reallocating_) live_.insert(reallocating_);  // a failed realloc keeps the old block
    reallocating_ = nullptr;
    ::LeaveCriticalSection(&lock_);
    return block;
}

}  // namespace tessel::testing::uia_fake
