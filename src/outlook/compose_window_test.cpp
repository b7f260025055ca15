#include "outlook/compose_window_test.h"

#include <string>

#include "common/text.h"
#include "editability/window_classification.h"

namespace tessel {
namespace {

constexpr std::uint16_t kMethodOrGet = kDispatchMethod | kDispatchPropertyGet;

struct Question {
    OutlookAutomation& outlook;
    Question(OutlookAutomation& o, WindowId about) : outlook(o) { outlook.BeginQuestion(about); }
    ~Question() { outlook.EndQuestion(); }
    Question(const Question&) = delete;
    Question& operator=(const Question&) = delete;
};

bool IsObject(const OutlookValue& v) { return v.kind == OutlookValueKind::Object; }

// The Inspector's current item: an unsent mail, or an item that is only ever
// edited in its own window.
std::uint8_t ItemTest(OutlookAutomation& outlook, const OutlookRef& inspector) {
    const OutlookValue item = outlook.Read(inspector, u"CurrentItem", kDispatchPropertyGet);
    if (!IsObject(item)) return kNotComposeSurface;
    const OutlookValue itemClass = outlook.Read(item.object, u"Class", kDispatchPropertyGet);
    if (itemClass.kind != OutlookValueKind::I32) return kNotComposeSurface;
    if (IsComposeClass(itemClass.i32)) return kComposeSurface;
    if (itemClass.i32 != kOlMail) return kNotComposeSurface;
    const OutlookValue sent = outlook.Read(item.object, u"Sent", kDispatchPropertyGet);
    return sent.kind == OutlookValueKind::Bool && !sent.boolean ? kComposeSurface : kNotComposeSurface;
}

std::uint8_t AskOutlook(OutlookAutomation& outlook, WindowId foreground) {
    if (foreground == kNoWindow) return kNotComposeSurface;
    const std::u16string title16 = outlook.WindowTitle(foreground);
    if (title16.empty()) return kNotComposeSurface;
    const std::string title = Utf16ToUtf8(title16);

    const OutlookRef application = outlook.Connect();
    if (!application) return kNotComposeSurface;

    {
        // A message open in its own window.
        const OutlookValue inspector = outlook.Read(application, u"ActiveInspector", kMethodOrGet);
        if (IsObject(inspector) &&
            CaptionMatches(outlook.Read(inspector.object, u"Caption", kDispatchPropertyGet), title))
            return ItemTest(outlook, inspector.object);
    }

    // The main window: a reply being written in the reading pane.
    const OutlookValue explorer = outlook.Read(application, u"ActiveExplorer", kMethodOrGet);
    if (!IsObject(explorer) || !CaptionMatches(outlook.Read(explorer.object, u"Caption", kDispatchPropertyGet), title))
        return kNotComposeSurface;
    const OutlookValue inlineResponse = outlook.Read(explorer.object, u"ActiveInlineResponse", kDispatchPropertyGet);
    return IsObject(inlineResponse) ? kComposeSurface : kNotComposeSurface;
}

}  // namespace

bool IsComposeClass(std::int32_t itemClass) {
    constexpr std::int32_t kOlAppointment = 26, kOlContact = 40, kOlTask = 48;
    return itemClass == kOlAppointment || itemClass == kOlContact || itemClass == kOlTask;
}

bool CaptionMatches(const OutlookValue& caption, std::string_view titleUtf8) {
    if (caption.kind != OutlookValueKind::String) return false;
    const std::string text = Utf16ToUtf8(caption.text);
    return TrimWhiteSpace(text) == TrimWhiteSpace(titleUtf8);
}

std::uint8_t ComposeWindowTest(Desktop& desktop, OutlookAutomation& outlook, OutlookAnswerCache& cache,
                               const FocusSnapshot& snapshot, WindowId window) {
    if (!IsOutlookPane(desktop, window)) return kNotOutlookPane;
    if (cache.answer != kNotOutlookPane && cache.foreground == snapshot.foreground && cache.focus == snapshot.focus &&
        cache.caret == snapshot.caret)
        return cache.answer;
    std::uint8_t answer;
    {
        // One question: every call, the releases included, within one deadline.
        const Question question(outlook, snapshot.foreground);
        answer = AskOutlook(outlook, snapshot.foreground);
    }
    // A late answer is no verdict: Outlook is asked again once it answers.
    if (outlook.Late()) return kNotComposeSurface;
    cache = OutlookAnswerCache{snapshot.foreground, snapshot.focus, snapshot.caret, answer};
    return answer;
}

}  // namespace tessel
