#pragma once
// The UI Automation primitives forwarded one for one to COM, and the creation
// of the automation object at start-up.
#include <windows.h>

#include "common/raii_win32.h"
#include "platform/automation.h"
#include "platform/uia_com_win32.h"

namespace tessel {

// How long UI Automation waits for a provider before the call fails: for an
// element (which may first have to reach the provider's process), and for
// each request about one. Every call runs on Tessel's only thread, so a hung
// application must cost a short pause, not the system's default of seconds;
// a responding provider answers in a few milliseconds, and a reading lost to
// a slow one is taken again at the next update.
inline constexpr DWORD kUiaConnectionTimeoutMs = 250;
inline constexpr DWORD kUiaTransactionTimeoutMs = 150;

// UIA_E_TIMEOUT: a provider did not answer within the time-outs above.
inline constexpr HRESULT kUiaTimeoutError = static_cast<HRESULT>(0x80131505);

// The objects start-up keeps; either may be null.
struct UiaObjects {
    ComPtr<uia::IUIAutomation> automation;
    ComPtr<uia::IUIAutomationTreeWalker> rawWalker;
};

// CoCreateInstance's signature, so that tests can hand in a fake.
using CreateInstanceFn = HRESULT(WINAPI*)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID*);

// Creates the in-process automation object, of the Windows 8 class where it
// is registered and creates, else of the older class; bounds its time-outs
// where it offers IUIAutomation2, and takes its raw-view walker. A failure
// leaves the object and/or the walker null; nothing is reported.
UiaObjects CreateUiAutomation(CreateInstanceFn create) noexcept;

// A reference's handle is its COM interface pointer.
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
    void BeginUpdate() noexcept override { timedOut_ = false; }
    bool Late() const noexcept override { return timedOut_; }
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
    // The interface behind a reference of this adapter; null for an empty
    // reference or one that another Automation handed out.
    template <typename T, UiaRefKind Kind>
    T* Com(const UiaRef<Kind>& ref) const noexcept {
        return ref.Holder() == this && !timedOut_ ? reinterpret_cast<T*>(ref.Handle()) : nullptr;
    }
    // The automation object, or null once a provider has timed out in this update.
    uia::IUIAutomation* Client() const noexcept { return timedOut_ ? nullptr : automation_; }
    // SUCCEEDED, noting a time-out for the rest of the update.
    bool Ok(HRESULT hr) noexcept {
        if (hr == kUiaTimeoutError) timedOut_ = true;
        return SUCCEEDED(hr);
    }
    // Adopts the reference a COM call returned; empty when the call failed.
    // Called after the call, never with it as an argument: the out-pointer
    // must be read once the call has filled it in.
    template <UiaRefKind Kind>
    UiaRef<Kind> Adopt(HRESULT hr, void* object) noexcept {
        return Ok(hr) && object ? UiaRef<Kind>(this, reinterpret_cast<std::uintptr_t>(object)) : UiaRef<Kind>{};
    }

    // One step of the raw-view walker from an element.
    using WalkStep = HRESULT (STDMETHODCALLTYPE uia::IUIAutomationTreeWalker::*)(uia::IUIAutomationElement*,
                                                                                 uia::IUIAutomationElement**);
    UiaElementRef Walk(const UiaElementRef& element, WalkStep step) noexcept;
    // The element's current value of a property, into `value` (which the
    // caller clears), when the value has type `vt`.
    bool ReadProperty(const UiaElementRef& element, int propertyId, VARTYPE vt, VARIANT& value) noexcept;

    uia::IUIAutomation* automation_ = nullptr;
    uia::IUIAutomationTreeWalker* walker_ = nullptr;
    bool timedOut_ = false;
};

}  // namespace tessel
