#pragma once
// An in-process UI Automation client that implements the real vtables: the
// automation object of either class (IUIAutomation2 where Windows has it),
// elements, the walker, the text patterns, ranges and range arrays. It counts
// every reference it hands out and can fail any method by name.
#include <windows.h>
#include <objidl.h>
#include <oleauto.h>

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <variant>
#include <vector>

#include "platform/uia_com_win32.h"

namespace tessel::testing::uia_fake {

using namespace tessel::uia;

// A slot the adapter never calls.
#define UIA_FAKE_UNUSED(name, params) \
    HRESULT STDMETHODCALLTYPE name params override { return E_NOTIMPL; }

class World;

// The count of one fake object. Objects live as long as their World, so a
// release too many is counted, not a crash.
class Counted {
public:
    explicit Counted(World& world) : world_(world) {}
    virtual ~Counted() = default;
    long refs = 0;

protected:
    ULONG Add();
    ULONG Drop();
    World& world_;
};

#define UIA_FAKE_IUNKNOWN                                            \
    ULONG STDMETHODCALLTYPE AddRef() override { return Add(); }      \
    ULONG STDMETHODCALLTYPE Release() override { return Drop(); }    \
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;

class Element;
class Range;
class RangeArray;
class TextPattern;
class Walker;
class Automation;

class World {
public:
    long liveRefs = 0;
    int overReleases = 0;
    std::set<std::string> failing;   // methods that answer `failure`
    HRESULT failure = E_FAIL;
    DWORD failureDelayMs = 0;  // how long a failing method takes, as a hung provider would
    std::vector<std::string> calls;  // method names, with the arguments that matter

    // Logs a call; true when it is to fail.
    bool Call(std::string call) {
        bool fails = failing.count(call.substr(0, call.find(' '))) != 0;
        calls.push_back(std::move(call));
        if (fails && failureDelayMs) ::Sleep(failureDelayMs);
        return fails;
    }

    template <typename T, typename... Args>
    T* Make(Args&&... args) {
        auto object = std::make_unique<T>(*this, std::forward<Args>(args)...);
        T* raw = object.get();
        objects_.push_back(std::move(object));
        return raw;
    }

private:
    std::vector<std::unique_ptr<Counted>> objects_;
};

// Hands out one more reference to a fake object as an out-parameter.
template <typename I, typename T>
HRESULT Give(T* object, I** out) {
    *out = object;
    if (object) object->AddRef();
    return S_OK;
}

// A property value as the fake's provider holds it.
struct NullString {};
struct TwoDimensionalDoubles {};
using Value = std::variant<bool, std::int32_t, std::u16string, NullString, std::vector<double>, TwoDimensionalDoubles>;

class Element final : public IUIAutomationElement, public Counted {
public:
    using Counted::Counted;
    UIA_FAKE_IUNKNOWN
    std::vector<std::pair<int, Value>> properties;
    TextPattern* text = nullptr;  // answers as all three text patterns
    Element* parent = nullptr;
    std::vector<Element*> children;

    Element* AddChild();
    // Sets or replaces one property.
    void Set(int propertyId, Value value);

    HRESULT STDMETHODCALLTYPE GetCurrentPropertyValueEx(int propertyId, BOOL ignoreDefault, VARIANT* out) override;
    HRESULT STDMETHODCALLTYPE GetCurrentPatternAs(int patternId, REFIID iid, void** out) override;
    UIA_FAKE_UNUSED(SetFocus, ())
    UIA_FAKE_UNUSED(GetRuntimeId, (SAFEARRAY**))
    UIA_FAKE_UNUSED(FindFirst, (int, void*, IUIAutomationElement**))
    UIA_FAKE_UNUSED(FindAll, (int, void*, void**))
    UIA_FAKE_UNUSED(FindFirstBuildCache, (int, void*, void*, IUIAutomationElement**))
    UIA_FAKE_UNUSED(FindAllBuildCache, (int, void*, void*, void**))
    UIA_FAKE_UNUSED(BuildUpdatedCache, (void*, IUIAutomationElement**))
    UIA_FAKE_UNUSED(GetCurrentPropertyValue, (int, VARIANT*))
    UIA_FAKE_UNUSED(GetCachedPropertyValue, (int, VARIANT*))
    UIA_FAKE_UNUSED(GetCachedPropertyValueEx, (int, BOOL, VARIANT*))
};

class Walker final : public IUIAutomationTreeWalker, public Counted {
public:
    using Counted::Counted;
    UIA_FAKE_IUNKNOWN
    HRESULT STDMETHODCALLTYPE GetParentElement(IUIAutomationElement* element, IUIAutomationElement** out) override;
    HRESULT STDMETHODCALLTYPE GetFirstChildElement(IUIAutomationElement* element, IUIAutomationElement** out) override;
    HRESULT STDMETHODCALLTYPE GetNextSiblingElement(IUIAutomationElement* element, IUIAutomationElement** out) override;
    UIA_FAKE_UNUSED(GetLastChildElement, (IUIAutomationElement*, IUIAutomationElement**))
    UIA_FAKE_UNUSED(GetPreviousSiblingElement, (IUIAutomationElement*, IUIAutomationElement**))
    UIA_FAKE_UNUSED(NormalizeElement, (IUIAutomationElement*, IUIAutomationElement**))
    UIA_FAKE_UNUSED(GetParentElementBuildCache, (IUIAutomationElement*, void*, IUIAutomationElement**))
    UIA_FAKE_UNUSED(GetFirstChildElementBuildCache, (IUIAutomationElement*, void*, IUIAutomationElement**))
    UIA_FAKE_UNUSED(GetLastChildElementBuildCache, (IUIAutomationElement*, void*, IUIAutomationElement**))
    UIA_FAKE_UNUSED(GetNextSiblingElementBuildCache, (IUIAutomationElement*, void*, IUIAutomationElement**))
    UIA_FAKE_UNUSED(GetPreviousSiblingElementBuildCache, (IUIAutomationElement*, void*, IUIAutomationElement**))
    UIA_FAKE_UNUSED(NormalizeElementBuildCache, (IUIAutomationElement*, void*, IUIAutomationElement**))
    UIA_FAKE_UNUSED(get_Condition, (void**))
};

class Range final : public IUIAutomationTextRange, public Counted {
public:
    using Counted::Counted;
    UIA_FAKE_IUNKNOWN
    std::vector<double> rectangles;  // left, top, width, height per line
    int comparison = 0;              // what CompareEndpoints reports
    int moved = 0;                   // what MoveEndpointByUnit reports

    HRESULT STDMETHODCALLTYPE Clone(IUIAutomationTextRange** out) override;
    HRESULT STDMETHODCALLTYPE CompareEndpoints(uia::TextPatternRangeEndpoint endpoint, IUIAutomationTextRange* target,
                                               uia::TextPatternRangeEndpoint targetEndpoint, int* out) override;
    HRESULT STDMETHODCALLTYPE ExpandToEnclosingUnit(uia::TextUnit unit) override;
    HRESULT STDMETHODCALLTYPE GetBoundingRectangles(SAFEARRAY** out) override;
    HRESULT STDMETHODCALLTYPE MoveEndpointByUnit(uia::TextPatternRangeEndpoint endpoint, uia::TextUnit unit, int count,
                                                 int* out) override;
    HRESULT STDMETHODCALLTYPE MoveEndpointByRange(uia::TextPatternRangeEndpoint endpoint, IUIAutomationTextRange* target,
                                                  uia::TextPatternRangeEndpoint targetEndpoint) override;
    UIA_FAKE_UNUSED(Compare, (IUIAutomationTextRange*, BOOL*))
    UIA_FAKE_UNUSED(FindAttribute, (int, VARIANT, BOOL, IUIAutomationTextRange**))
    UIA_FAKE_UNUSED(FindText, (BSTR, BOOL, BOOL, IUIAutomationTextRange**))
    UIA_FAKE_UNUSED(GetAttributeValue, (int, VARIANT*))
    UIA_FAKE_UNUSED(GetEnclosingElement, (IUIAutomationElement**))
    UIA_FAKE_UNUSED(GetText, (int, BSTR*))
    UIA_FAKE_UNUSED(Move, (uia::TextUnit, int, int*))
    UIA_FAKE_UNUSED(Select, ())
    UIA_FAKE_UNUSED(AddToSelection, ())
    UIA_FAKE_UNUSED(RemoveFromSelection, ())
    UIA_FAKE_UNUSED(ScrollIntoView, (BOOL))
    UIA_FAKE_UNUSED(GetChildren, (void**))
};

class RangeArray final : public IUIAutomationTextRangeArray, public Counted {
public:
    using Counted::Counted;
    UIA_FAKE_IUNKNOWN
    std::vector<Range*> ranges;
    HRESULT STDMETHODCALLTYPE get_Length(int* out) override;
    HRESULT STDMETHODCALLTYPE GetElement(int index, IUIAutomationTextRange** out) override;
};

// One object behind the text, text 2 and text edit patterns, as providers
// commonly implement them.
class TextPattern final : public IUIAutomationTextPattern2, public IUIAutomationTextEditPattern, public Counted {
public:
    using Counted::Counted;
    UIA_FAKE_IUNKNOWN
    RangeArray* selection = nullptr;
    Range* caret = nullptr;
    bool caretActive = false;
    Range* composition = nullptr;

    HRESULT STDMETHODCALLTYPE GetSelection(IUIAutomationTextRangeArray** out) override;
    HRESULT STDMETHODCALLTYPE GetCaretRange(BOOL* active, IUIAutomationTextRange** out) override;
    HRESULT STDMETHODCALLTYPE GetActiveComposition(IUIAutomationTextRange** out) override;
    UIA_FAKE_UNUSED(RangeFromPoint, (POINT, IUIAutomationTextRange**))
    UIA_FAKE_UNUSED(RangeFromChild, (IUIAutomationElement*, IUIAutomationTextRange**))
    UIA_FAKE_UNUSED(GetVisibleRanges, (IUIAutomationTextRangeArray**))
    UIA_FAKE_UNUSED(get_DocumentRange, (IUIAutomationTextRange**))
    UIA_FAKE_UNUSED(get_SupportedTextSelection, (int*))
    UIA_FAKE_UNUSED(RangeFromAnnotation, (IUIAutomationElement*, IUIAutomationTextRange**))
    UIA_FAKE_UNUSED(GetConversionTarget, (IUIAutomationTextRange**))
};

// The automation object of one class. As on Windows, only an object of the
// Windows 8 class (kClsidCUIAutomation8) answers for IUIAutomation2, never one
// of the older CUIAutomation. Not final: a server may refresh its tree before
// answering for the focus.
class Automation : public IUIAutomation2, public Counted {
public:
    Automation(World& world, const GUID& registeredAs) : Counted(world), clsid(registeredAs) {}
    UIA_FAKE_IUNKNOWN
    const GUID clsid;
    Element* focused = nullptr;
    Element* fromWindow = nullptr;
    Element* fromPoint = nullptr;
    Walker* walker = nullptr;
    HWND askedWindow = nullptr;
    POINT askedPoint{};
    DWORD connectionTimeout = 0;  // 0: never set
    DWORD transactionTimeout = 0;

    HRESULT STDMETHODCALLTYPE GetFocusedElement(IUIAutomationElement** out) override;
    HRESULT STDMETHODCALLTYPE ElementFromHandle(HWND window, IUIAutomationElement** out) override;
    HRESULT STDMETHODCALLTYPE ElementFromPoint(POINT point, IUIAutomationElement** out) override;
    HRESULT STDMETHODCALLTYPE get_RawViewWalker(IUIAutomationTreeWalker** out) override;
    HRESULT STDMETHODCALLTYPE put_ConnectionTimeout(DWORD timeout) override;
    HRESULT STDMETHODCALLTYPE put_TransactionTimeout(DWORD timeout) override;
    UIA_FAKE_UNUSED(CompareElements, (IUIAutomationElement*, IUIAutomationElement*, BOOL*))
    UIA_FAKE_UNUSED(CompareRuntimeIds, (SAFEARRAY*, SAFEARRAY*, BOOL*))
    UIA_FAKE_UNUSED(GetRootElement, (IUIAutomationElement**))
    UIA_FAKE_UNUSED(GetRootElementBuildCache, (void*, IUIAutomationElement**))
    UIA_FAKE_UNUSED(ElementFromHandleBuildCache, (HWND, void*, IUIAutomationElement**))
    UIA_FAKE_UNUSED(ElementFromPointBuildCache, (POINT, void*, IUIAutomationElement**))
    UIA_FAKE_UNUSED(GetFocusedElementBuildCache, (void*, IUIAutomationElement**))
    UIA_FAKE_UNUSED(CreateTreeWalker, (void*, IUIAutomationTreeWalker**))
    UIA_FAKE_UNUSED(get_ControlViewWalker, (IUIAutomationTreeWalker**))
    UIA_FAKE_UNUSED(get_ContentViewWalker, (IUIAutomationTreeWalker**))
    UIA_FAKE_UNUSED(get_RawViewCondition, (void**))
    UIA_FAKE_UNUSED(get_ControlViewCondition, (void**))
    UIA_FAKE_UNUSED(get_ContentViewCondition, (void**))
    UIA_FAKE_UNUSED(CreateCacheRequest, (void**))
    UIA_FAKE_UNUSED(CreateTrueCondition, (void**))
    UIA_FAKE_UNUSED(CreateFalseCondition, (void**))
    UIA_FAKE_UNUSED(CreatePropertyCondition, (int, VARIANT, void**))
    UIA_FAKE_UNUSED(CreatePropertyConditionEx, (int, VARIANT, int, void**))
    UIA_FAKE_UNUSED(CreateAndCondition, (void*, void*, void**))
    UIA_FAKE_UNUSED(CreateAndConditionFromArray, (SAFEARRAY*, void**))
    UIA_FAKE_UNUSED(CreateAndConditionFromNativeArray, (void**, int, void**))
    UIA_FAKE_UNUSED(CreateOrCondition, (void*, void*, void**))
    UIA_FAKE_UNUSED(CreateOrConditionFromArray, (SAFEARRAY*, void**))
    UIA_FAKE_UNUSED(CreateOrConditionFromNativeArray, (void**, int, void**))
    UIA_FAKE_UNUSED(CreateNotCondition, (void*, void**))
    UIA_FAKE_UNUSED(AddAutomationEventHandler, (int, IUIAutomationElement*, int, void*, void*))
    UIA_FAKE_UNUSED(RemoveAutomationEventHandler, (int, IUIAutomationElement*, void*))
    UIA_FAKE_UNUSED(AddPropertyChangedEventHandlerNativeArray, (IUIAutomationElement*, int, void*, void*, void*, int))
    UIA_FAKE_UNUSED(AddPropertyChangedEventHandler, (IUIAutomationElement*, int, void*, void*, SAFEARRAY*))
    UIA_FAKE_UNUSED(RemovePropertyChangedEventHandler, (IUIAutomationElement*, void*))
    UIA_FAKE_UNUSED(AddStructureChangedEventHandler, (IUIAutomationElement*, int, void*, void*))
    UIA_FAKE_UNUSED(RemoveStructureChangedEventHandler, (IUIAutomationElement*, void*))
    UIA_FAKE_UNUSED(AddFocusChangedEventHandler, (void*, void*))
    UIA_FAKE_UNUSED(RemoveFocusChangedEventHandler, (void*))
    UIA_FAKE_UNUSED(RemoveAllEventHandlers, ())
    UIA_FAKE_UNUSED(IntNativeArrayToSafeArray, (int*, int, SAFEARRAY**))
    UIA_FAKE_UNUSED(IntSafeArrayToNativeArray, (SAFEARRAY*, void**, int*))
    UIA_FAKE_UNUSED(RectToVariant, (RECT, VARIANT*))
    UIA_FAKE_UNUSED(VariantToRect, (VARIANT, RECT*))
    UIA_FAKE_UNUSED(SafeArrayToRectNativeArray, (SAFEARRAY*, void**, int*))
    UIA_FAKE_UNUSED(CreateProxyFactoryEntry, (void*, void**))
    UIA_FAKE_UNUSED(get_ProxyFactoryMapping, (void**))
    UIA_FAKE_UNUSED(GetPropertyProgrammaticName, (int, BSTR*))
    UIA_FAKE_UNUSED(GetPatternProgrammaticName, (int, BSTR*))
    UIA_FAKE_UNUSED(PollForPotentialSupportedPatterns, (IUIAutomationElement*, SAFEARRAY**, SAFEARRAY**))
    UIA_FAKE_UNUSED(PollForPotentialSupportedProperties, (IUIAutomationElement*, SAFEARRAY**, SAFEARRAY**))
    UIA_FAKE_UNUSED(CheckNotSupported, (VARIANT, BOOL*))
    UIA_FAKE_UNUSED(get_ReservedNotSupportedValue, (IUnknown**))
    UIA_FAKE_UNUSED(get_ReservedMixedAttributeValue, (IUnknown**))
    UIA_FAKE_UNUSED(ElementFromIAccessible, (void*, int, IUIAutomationElement**))
    UIA_FAKE_UNUSED(ElementFromIAccessibleBuildCache, (void*, int, void*, IUIAutomationElement**))
    UIA_FAKE_UNUSED(get_AutoSetFocus, (BOOL*))
    UIA_FAKE_UNUSED(put_AutoSetFocus, (BOOL))
    UIA_FAKE_UNUSED(get_ConnectionTimeout, (DWORD*))
    UIA_FAKE_UNUSED(get_TransactionTimeout, (DWORD*))
};

#undef UIA_FAKE_UNUSED
#undef UIA_FAKE_IUNKNOWN

// Counts the blocks of COM task memory (BSTRs, SAFEARRAYs) that were allocated
// since it was installed and are not yet freed. String caching is switched
// off so that a freed BSTR really returns its memory.
class TaskMemoryCounter final : public IMallocSpy {
public:
    // Installs the one counter of the process on first use; null when the
    // platform refuses it.
    static TaskMemoryCounter* Install();
    std::size_t Live();

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    SIZE_T STDMETHODCALLTYPE PreAlloc(SIZE_T size) override { return size; }
    void* STDMETHODCALLTYPE PostAlloc(void* block) override;
    void* STDMETHODCALLTYPE PreFree(void* block, BOOL spied) override;
    void STDMETHODCALLTYPE PostFree(BOOL) override {}
    SIZE_T STDMETHODCALLTYPE PreRealloc(void* block, SIZE_T size, void** newRequest, BOOL spied) override;
    void* STDMETHODCALLTYPE PostRealloc(void* block, BOOL spied) override;
    void* STDMETHODCALLTYPE PreGetSize(void* block, BOOL) override { return block; }
    SIZE_T STDMETHODCALLTYPE PostGetSize(SIZE_T size, BOOL) override { return size; }
    void* STDMETHODCALLTYPE PreDidAlloc(void* block, BOOL) override { return block; }
    int STDMETHODCALLTYPE PostDidAlloc(void*, BOOL, int actual) override { return actual; }
    void STDMETHODCALLTYPE PreHeapMinimize() override {}
    void STDMETHODCALLTYPE PostHeapMinimize() override {}

private:
    TaskMemoryCounter() { ::InitializeCriticalSection(&lock_); }
    CRITICAL_SECTION lock_;
    std::set<void*> live_;
    void* reallocating_ = nullptr;
};

}  // namespace tessel::testing::uia_fake
