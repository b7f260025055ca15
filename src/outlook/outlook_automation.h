#pragma once
// The running Outlook as the compose-window test sees it: the foreground
// window's title, the connection to the running application object, and member
// reads by name. Objects are counted references released exactly once; the
// Win32 adapter forwards each operation to the platform and does nothing else.
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "common/counted_ref.h"
#include "platform/types.h"

namespace tessel {

class OutlookAutomation;

using OutlookRef = CountedRef<OutlookAutomation>;

// What a member read gave, by the type of its value.
enum class OutlookValueKind : std::uint8_t {
    Failed,  // the object was null, or the name or the call was refused
    Object,  // a non-null object (its reference may be empty when it cannot be read further)
    String,
    I32,
    Bool,
    Other,
};

struct OutlookValue {
    OutlookValueKind kind = OutlookValueKind::Failed;
    OutlookRef object;  // Object only
    std::u16string text;  // String only; a null string is empty
    std::int32_t i32 = 0;  // I32 only
    bool boolean = false;  // Bool only
};

// Invoke flags.
constexpr std::uint16_t kDispatchMethod = 1;
constexpr std::uint16_t kDispatchPropertyGet = 2;

class OutlookAutomation {
public:
    virtual ~OutlookAutomation() = default;

    // GetWindowTextW with 512 units; empty when nothing was read.
    virtual std::u16string WindowTitle(WindowId window) noexcept = 0;
    // The running Outlook application object; empty when Outlook is not
    // registered or not running, or any step of the connection fails.
    virtual OutlookRef Connect() noexcept = 0;
    // Reads one member by name with the given Invoke flags and no arguments.
    virtual OutlookValue Read(const OutlookRef& object, std::u16string_view member, std::uint16_t flags) noexcept = 0;

    // A question about `window`, an Outlook window, begins: the calls until
    // EndQuestion share one deadline. An Outlook that has not answered since
    // an earlier late question is not asked at all: the question is late.
    virtual void BeginQuestion(WindowId window) noexcept = 0;
    virtual void EndQuestion() noexcept = 0;

    // One update of the badge begins.
    virtual void BeginUpdate() noexcept = 0;
    // Since BeginUpdate a call passed its deadline and was cancelled, or
    // Outlook was not asked because it has not answered since an earlier
    // cancel: the answer is late, not "no". Later calls of the same update
    // answer empty at once.
    virtual bool Late() const noexcept = 0;

    // Used by OutlookRef only.
    virtual void Release(std::uintptr_t handle) noexcept = 0;
};

}  // namespace tessel
