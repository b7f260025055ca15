// The compose-window test against a scripted Outlook and desktop.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "doubles/app_rig.h"
#include "doubles/scripted_desktop.h"
#include "doubles/scripted_outlook.h"
#include "main/app_state_ops.h"
#include "outlook/compose_window_test.h"

namespace tessel {
namespace {

using testing::ScriptedDesktop;
using testing::ScriptedOutlook;
using testing::ScriptedWindow;

constexpr WindowId kFrame = 1, kPane = 4, kOtherPane = 5, kWordFrame = 10, kWordPane = 12;

// An Outlook window with two message panes, and Word's own pane.
struct ComposeRig {
    ScriptedDesktop desktop;
    ScriptedOutlook outlook;
    OutlookAnswerCache cache;

    ComposeRig() {
        Add(kFrame, u"rctrl_renwnd32", kNoWindow);
        Add(2, u"AfxWndW", kFrame);
        Add(3, u"_WwB", 2);
        Add(kPane, u"_WwG", 3);
        Add(kOtherPane, u"_WwG", 3);
        Add(kWordFrame, u"OpusApp", kNoWindow);
        Add(11, u"_WwB", kWordFrame);
        Add(kWordPane, u"_WwG", 11);
        outlook.titles[kFrame] = u"Untitled - Message (HTML) ";
    }
    void Add(WindowId id, std::u16string cls, WindowId parent) {
        ScriptedWindow w;
        w.className = std::move(cls);
        w.parent = parent;
        desktop.AddWindow(id, w);
    }
    std::uint8_t Ask(WindowId window, WindowId foreground = kFrame) {
        FocusSnapshot s;
        s.foreground = foreground;
        s.focus = s.caret = window;
        return ComposeWindowTest(desktop, outlook, cache, s, window);
    }
};

TEST(OutlookCompose, AWordPaneOutsideOutlookNeverReachesOutlook) {
    ComposeRig r;
    r.outlook.OpenInspector(u"Untitled - Message (HTML)", kOlMail, false);
    EXPECT_EQ(r.Ask(kWordPane, kWordFrame), kNotOutlookPane);
    EXPECT_TRUE(r.outlook.log.empty());
    EXPECT_EQ(r.cache.answer, kNotOutlookPane);
}

TEST(OutlookCompose, AnUnsentMailIsReadInOrderAndEveryObjectReleased) {
    ComposeRig r;
    r.outlook.OpenInspector(u"Untitled - Message (HTML)", kOlMail, false);
    EXPECT_EQ(r.Ask(kPane), kComposeSurface);
    const std::vector<std::string> expected{"Title",           "Connect",
                                            "Read(1,ActiveInspector,3)", "Read(2,Caption,2)",
                                            "Read(2,CurrentItem,2)",     "Read(3,Class,2)",
                                            "Read(3,Sent,2)"};
    EXPECT_EQ(r.outlook.log, expected);
    EXPECT_EQ(r.outlook.liveReferences, 0);
}

TEST(OutlookCompose, ItemClassesAndSent) {
    struct Case {
        std::int32_t itemClass;
        bool sent;
        std::uint8_t answer;
    };
    // Appointment, contact and task are written whatever Sent says; a
    // received mail and a meeting request (53) are read.
    for (const Case c : {Case{26, true, 0}, Case{40, true, 0}, Case{48, true, 0}, Case{43, true, 1}, Case{53, false, 1}}) {
        ComposeRig r;
        r.outlook.OpenInspector(u"Untitled - Message (HTML)", c.itemClass, c.sent);
        EXPECT_EQ(r.Ask(kPane), c.answer) << "class " << c.itemClass;
    }
    // Sent of another type than bool, or a Class that is not an i32: read.
    ComposeRig r;
    r.outlook.OpenInspector(u"Untitled - Message (HTML)", kOlMail, false);
    r.outlook.objects[3][u"Sent"].kind = OutlookValueKind::I32;
    EXPECT_EQ(r.Ask(kPane), kNotComposeSurface);
    ComposeRig s;
    s.outlook.OpenInspector(u"Untitled - Message (HTML)", 26, false);
    s.outlook.objects[3][u"Class"].kind = OutlookValueKind::String;
    EXPECT_EQ(s.Ask(kPane), kNotComposeSurface);
}

TEST(OutlookCompose, TheMainWindowComposesOnlyWithAnInlineResponse) {
    ComposeRig r;
    r.outlook.titles[kFrame] = u"Inbox - someone@example.com - Outlook";
    r.outlook.OpenInspector(u"Re: lunch - Message (HTML)", kOlMail, false);  // another window
    r.outlook.OpenExplorer(u"Inbox - someone@example.com - Outlook", true);
    EXPECT_EQ(r.Ask(kPane), kComposeSurface);
    EXPECT_EQ(r.outlook.log.back(), "Read(4,ActiveInlineResponse,2)");
    EXPECT_EQ(r.outlook.log[r.outlook.log.size() - 3], "Read(1,ActiveExplorer,3)");
    EXPECT_EQ(r.outlook.liveReferences, 0);

    ComposeRig reading;
    reading.outlook.titles[kFrame] = u"Inbox - Outlook";
    reading.outlook.OpenExplorer(u"Inbox - Outlook", false);
    EXPECT_EQ(reading.Ask(kPane), kNotComposeSurface);
    EXPECT_EQ(reading.outlook.liveReferences, 0);
}

TEST(OutlookCompose, CaptionsMatchTrimmedAndCaseSensitive) {
    auto caption = [](std::u16string text) {
        OutlookValue v;
        v.kind = OutlookValueKind::String;
        v.text = std::move(text);
        return v;
    };
    // Ideographic space and no-break space are white space too.
    EXPECT_TRUE(CaptionMatches(caption(u"\u3000Draft\u00a0"), "Draft  "));
    EXPECT_TRUE(CaptionMatches(caption(u""), " "));
    EXPECT_FALSE(CaptionMatches(caption(u"draft"), "Draft"));
    EXPECT_FALSE(CaptionMatches(caption(u"Dr aft"), "Draft"));
    OutlookValue notText;
    notText.kind = OutlookValueKind::Other;
    EXPECT_FALSE(CaptionMatches(notText, ""));
}

TEST(OutlookCompose, AnAnswerIsCachedPerFocusTargetUntilInvalidated) {
    ComposeRig r;
    r.outlook.running = false;  // Outlook not running
    FocusSnapshot s;
    s.foreground = kFrame;
    s.focus = kOtherPane;
    s.caret = kPane;
    EXPECT_EQ(ComposeWindowTest(r.desktop, r.outlook, r.cache, s, kPane), kNotComposeSurface);
    EXPECT_EQ(r.outlook.log, (std::vector<std::string>{"Title", "Connect"}));
    // The focus window of the same target shares the answer, even once Outlook runs.
    r.outlook.running = true;
    r.outlook.OpenInspector(u"Untitled - Message (HTML)", kOlMail, false);
    EXPECT_EQ(ComposeWindowTest(r.desktop, r.outlook, r.cache, s, kOtherPane), kNotComposeSurface);
    EXPECT_EQ(r.outlook.log.size(), 2u);
    // Another target asks again.
    s.caret = kOtherPane;
    EXPECT_EQ(ComposeWindowTest(r.desktop, r.outlook, r.cache, s, kOtherPane), kComposeSurface);

    // The application state's cache is emptied with the other caret caches.
    testing::AppRig app;
    app.state.outlookAnswer = r.cache;
    InvalidateCaretCaches(app.state);
    EXPECT_EQ(app.state.outlookAnswer.answer, kNotOutlookPane);
}

TEST(OutlookCompose, ALateAnswerIsNoVerdictAndOutlookIsAskedAgain) {
    ComposeRig r;
    r.outlook.OpenInspector(u"Untitled - Message (HTML)", kOlMail, false);
    r.outlook.hung = true;
    EXPECT_EQ(r.Ask(kPane), kNotComposeSurface);
    EXPECT_TRUE(r.outlook.Late());
    EXPECT_EQ(r.cache.answer, kNotOutlookPane) << "a late answer was cached";
    // The next update asks again about the same focus target.
    r.outlook.hung = false;
    r.outlook.BeginUpdate();
    EXPECT_EQ(r.Ask(kPane), kComposeSurface);
    EXPECT_EQ(r.cache.answer, kComposeSurface);
    // Each answer is one question about the foreground window, releases included.
    EXPECT_EQ(r.outlook.questions, 2);
    EXPECT_EQ(r.outlook.questionAbout, kFrame);
    EXPECT_FALSE(r.outlook.inQuestion);
    EXPECT_EQ(r.outlook.callsOutsideQuestions, 0);
    EXPECT_EQ(r.outlook.liveReferences, 0);
}

TEST(OutlookCompose, NoTitleOrNoForegroundAnswersWithoutConnecting) {
    ComposeRig r;
    r.outlook.titles.clear();
    EXPECT_EQ(r.Ask(kPane), kNotComposeSurface);
    EXPECT_EQ(r.outlook.log, std::vector<std::string>{"Title"});
    ComposeRig n;
    FocusSnapshot s;
    s.caret = kPane;
    EXPECT_EQ(ComposeWindowTest(n.desktop, n.outlook, n.cache, s, kPane), kNotComposeSurface);
    EXPECT_TRUE(n.outlook.log.empty());
}

}  // namespace
}  // namespace tessel
