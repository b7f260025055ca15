#pragma once
// A scripted running Outlook: window titles, an application object and the
// members of each object, with a log of the calls in order and a count of the
// references not yet released.
#include <map>
#include <string>
#include <vector>

#include "outlook/outlook_automation.h"

namespace tessel::testing {

struct ScriptedMember {
    OutlookValueKind kind = OutlookValueKind::Failed;
    int object = 0;  // Object: the scripted id handed out (0: an object that cannot be read)
    std::u16string text;
    std::int32_t i32 = 0;
    bool boolean = false;
};

class ScriptedOutlook final : public OutlookAutomation {
public:
    static constexpr int kApplication = 1;

    // --- script ---
    std::map<WindowId, std::u16string> titles;
    bool running = true;                                         // Connect succeeds
    bool hung = false;  // every call is cancelled past its deadline: late, and Failed
    bool late = false;
    std::map<int, std::map<std::u16string, ScriptedMember>> objects;  // by id, then member name

    // The application's active inspector (id 2) with this caption, showing an
    // item (id 3) of this class; `sent` scripts the item's Sent as a bool.
    void OpenInspector(std::u16string caption, std::int32_t itemClass, bool sent);
    // The active explorer (id 4) with this caption, with an inline response
    // (id 5) being written or not.
    void OpenExplorer(std::u16string caption, bool inlineResponse);

    // --- observation ---
    std::vector<std::string> log;  // "Title", "Connect", "Read(2,Caption,2)", ...
    int liveReferences = 0;
    int Reads() const;
    int questions = 0;              // BeginQuestion calls
    WindowId questionAbout = kNoWindow;
    bool inQuestion = false;
    int callsOutsideQuestions = 0;  // Connect, Read or Release with no question open

    // --- OutlookAutomation ---
    std::u16string WindowTitle(WindowId window) noexcept override;
    OutlookRef Connect() noexcept override;
    OutlookValue Read(const OutlookRef& object, std::u16string_view member, std::uint16_t flags) noexcept override;
    void Release(std::uintptr_t handle) noexcept override;
    void BeginQuestion(WindowId window) noexcept override {
        ++questions;
        questionAbout = window;
        inQuestion = true;
    }
    void EndQuestion() noexcept override { inQuestion = false; }
    void BeginUpdate() noexcept override { late = false; }
    bool Late() const noexcept override { return late; }
};

}  // namespace tessel::testing
