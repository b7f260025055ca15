#include "outlook/outlook_automation_win32.h"

#include <windows.h>
#include <oaidl.h>
#include <objbase.h>
#include <oleauto.h>

#include <string>
#include <utility>

#include "common/raii_win32.h"
#include "platform/com_call_policy.h"
#include "platform/unanswered_thread_win32.h"

namespace tessel {
namespace {

// Defined here: MinGW's static import libraries may resolve these to thunks.
constexpr IID kIidIDispatch = {0x00020400, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr IID kIidNull = {0x00000000, 0x0000, 0x0000, {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}};

IDispatch* AsDispatch(std::uintptr_t handle) { return reinterpret_cast<IDispatch*>(handle); }

OutlookRef Adopt(OutlookAutomation* owner, IDispatch* dispatch) {
    return OutlookRef(owner, reinterpret_cast<std::uintptr_t>(dispatch));
}

// A call of the open question, with the filter's wake armed; unbounded
// outside a question.
template <typename F>
auto Bounded(std::optional<ComQuestion>& question, F&& call) -> decltype(call()) {
    return question ? question->Call(std::forward<F>(call)) : call();
}

// A VARIANT cleared on every path.
struct ClearedVariant {
    VARIANT v;
    ClearedVariant() { ::VariantInit(&v); }
    ~ClearedVariant() { ::VariantClear(&v); }
    ClearedVariant(const ClearedVariant&) = delete;
    ClearedVariant& operator=(const ClearedVariant&) = delete;
};

}  // namespace

void Win32Outlook::BeginQuestion(WindowId window) noexcept {
    question_.reset();
    pingDue_ = false;
    questionWindow_ = reinterpret_cast<HWND>(window);
    if (StillUnanswered(AnswerSlot::Outlook, ::GetWindowThreadProcessId(questionWindow_, nullptr), clock_->Now())) {
        // No new ping: the patience counts from the first one.
        late_ = true;
        return;
    }
    question_.emplace(bound_, kOutlookQuestionBudget);
}

void Win32Outlook::EndQuestion() noexcept {
    question_.reset();
    // After the releases, whose replies would bring the ping's answer too.
    if (pingDue_)
        AwaitAnswer(AnswerSlot::Outlook, questionWindow_, ::GetWindowThreadProcessId(questionWindow_, nullptr),
                    clock_->Now());
    pingDue_ = false;
    questionWindow_ = nullptr;
}

void Win32Outlook::BecomeLate() noexcept {
    if (late_) return;
    late_ = true;
    pingDue_ = question_.has_value();
}

bool Win32Outlook::MayCall() noexcept {
    if (late_) return false;
    // Every call left would only be cancelled: the answer is late already.
    if (question_ && question_->Expired()) BecomeLate();
    return !late_;
}

bool Win32Outlook::Succeeded(HRESULT hr) noexcept {
    if (question_ ? question_->TooLate(hr) : hr == RPC_E_CALL_CANCELED) {
        // An answer that came after the deadline is no answer either.
        if (!late_) lastLateResult_ = hr;
        BecomeLate();
        return false;
    }
    return SUCCEEDED(hr);
}

std::u16string Win32Outlook::WindowTitle(WindowId window) noexcept {
    wchar_t buffer[512];
    const int n = ::GetWindowTextW(reinterpret_cast<HWND>(window), buffer, 512);
    if (n <= 0) return {};
    return std::u16string(reinterpret_cast<const char16_t*>(buffer), static_cast<std::size_t>(n));
}

OutlookRef Win32Outlook::Connect() noexcept {
    if (!MayCall()) return {};
    CLSID clsid;
    if (FAILED(::CLSIDFromProgID(L"Outlook.Application", &clsid))) return {};
    // A reference handed out is released even when it came too late.
    IUnknown* unknown = nullptr;
    const bool found = Succeeded(Bounded(question_, [&] { return ::GetActiveObject(clsid, nullptr, &unknown); }));
    IDispatch* dispatch = nullptr;
    HRESULT hr = E_ABORT;  // not asked
    if (found && unknown && MayCall())
        hr = Bounded(question_,
                     [&] { return unknown->QueryInterface(kIidIDispatch, reinterpret_cast<void**>(&dispatch)); });
    if (unknown) Bounded(question_, [&] { return unknown->Release(); });
    OutlookRef application = Adopt(this, dispatch);
    if (!Succeeded(hr)) return {};
    return application;
}

OutlookValue Win32Outlook::Read(const OutlookRef& object, std::u16string_view member, std::uint16_t flags) noexcept {
    OutlookValue value;
    if (!object || !MayCall()) return value;
    IDispatch* dispatch = AsDispatch(object.Handle());
    std::wstring name(member.begin(), member.end());
    LPOLESTR names[1] = {name.data()};
    DISPID id = 0;
    if (!Succeeded(Bounded(question_, [&] { return dispatch->GetIDsOfNames(kIidNull, names, 1, 0, &id); })))
        return value;
    if (!MayCall()) return value;
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    ClearedVariant result;
    if (!Succeeded(Bounded(question_, [&] {
            return dispatch->Invoke(id, kIidNull, 0, flags, &none, &result.v, nullptr, nullptr);
        }))) {
        // An object that came too late is released all the same, which is a call into Outlook too.
        Bounded(question_, [&] { return ::VariantClear(&result.v); });
        return value;
    }

    VARIANT& v = result.v;
    switch (V_VT(&v)) {
        case VT_DISPATCH:
            if (!V_DISPATCH(&v)) break;
            // The reference moves out of the VARIANT, which is left empty.
            value.kind = OutlookValueKind::Object;
            value.object = Adopt(this, V_DISPATCH(&v));
            V_VT(&v) = VT_EMPTY;
            return value;
        case VT_UNKNOWN: {
            if (!V_UNKNOWN(&v)) break;
            // Still an object; without IDispatch its members simply cannot be read.
            value.kind = OutlookValueKind::Object;
            IDispatch* inner = nullptr;
            HRESULT hr = E_ABORT;  // not asked
            if (MayCall())
                hr = Bounded(question_, [&] {
                    return V_UNKNOWN(&v)->QueryInterface(kIidIDispatch, reinterpret_cast<void**>(&inner));
                });
            OutlookRef readable = Adopt(this, inner);
            if (Succeeded(hr)) value.object = std::move(readable);
            // Releasing the proxy is a call into Outlook too.
            Bounded(question_, [&] { return ::VariantClear(&v); });
            return value;
        }
        case VT_BSTR:
            value.kind = OutlookValueKind::String;
            if (V_BSTR(&v))
                value.text.assign(reinterpret_cast<const char16_t*>(V_BSTR(&v)), ::SysStringLen(V_BSTR(&v)));
            return value;
        case VT_I4:
            value.kind = OutlookValueKind::I32;
            value.i32 = V_I4(&v);
            return value;
        case VT_BOOL:
            value.kind = OutlookValueKind::Bool;
            value.boolean = V_BOOL(&v) != VARIANT_FALSE;
            return value;
        default:
            break;
    }
    value.kind = OutlookValueKind::Other;
    return value;
}

// Released even when the question is late: every reference exactly once.
void Win32Outlook::Release(std::uintptr_t handle) noexcept {
    if (handle) Bounded(question_, [&] { return AsDispatch(handle)->Release(); });
}

}  // namespace tessel
