// The Win32 UI Automation adapter and start-up's creation of the automation
// object, run against an in-process fake that implements the real vtables.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "doubles/fake_clock.h"
#include "doubles/scripted_desktop.h"
#include "editability/uia_caret_search.h"
#include "editability/uia_element.h"
#include "platform/automation_win32.h"
#include "win32/uia_fake_win32.h"

namespace tessel {
namespace {

namespace fake = testing::uia_fake;

template <typename Ref>
void* Object(const Ref& ref) {
    return reinterpret_cast<void*>(ref.Handle());
}
void* AsElement(fake::Element* e) { return static_cast<uia::IUIAutomationElement*>(e); }

// A caret search through the adapter, for a foreground window of a browser
// or of any other program.
struct CaretSearch {
    explicit CaretSearch(Automation& automation) : env{automation, desktop, clock, state} {
        snapshot.foreground = snapshot.active = snapshot.focus = 5;
    }
    UiaCaret Resolve(bool browser) { return ResolveUiaCaret(env, snapshot, false, browser, browser); }
    void ForgetFocus() { EmptyFocusedElementCache(state.focusedElement); }

    testing::ScriptedDesktop desktop;
    testing::FakeClock clock;
    UiaState state;
    UiaEnv env;
    FocusSnapshot snapshot;
};

class UiaAdapterWin32 : public ::testing::Test {
protected:
    void SetUp() override {
        memory = fake::TaskMemoryCounter::Install();
        ASSERT_NE(memory, nullptr);
        memoryBefore = memory->Live();
        adapter.Attach(automation, walker);
    }
    // Every reference handed out has come back once, every string and array is freed.
    void ExpectAllReturned() {
        EXPECT_EQ(world.liveRefs, 0);
        EXPECT_EQ(world.overReleases, 0);
        EXPECT_EQ(memory->Live(), memoryBefore);
    }

    fake::World world;
    fake::Automation* automation = world.Make<fake::Automation>(uia::kClsidCUIAutomation8);
    fake::Walker* walker = world.Make<fake::Walker>();
    fake::TaskMemoryCounter* memory = nullptr;
    std::size_t memoryBefore = 0;
    Win32Automation adapter;
};

TEST_F(UiaAdapterWin32, PropertiesAnswerOnlyInTheirTypeAndEveryValueIsFreed) {
    auto* e = world.Make<fake::Element>();
    automation->focused = e;
    e->Set(30010, true);
    e->Set(30003, 50004);
    e->Set(30005, u"주소 \xD800");  // an unpaired surrogate
    e->Set(30012, fake::NullString{});
    e->Set(30001, std::vector<double>{1.5, -2, 300, 40});
    e->Set(30002, fake::TwoDimensionalDoubles{});
    {
        UiaElementRef element = adapter.FocusedElement();
        ASSERT_EQ(Object(element), AsElement(e));
        EXPECT_EQ(adapter.BoolProperty(element, 30010), true);
        EXPECT_EQ(world.calls.back(), "GetCurrentPropertyValueEx 30010 1");  // default values ignored
        EXPECT_EQ(adapter.I32Property(element, 30003), 50004);
        EXPECT_EQ(adapter.StringProperty(element, 30005), "주소 \xEF\xBF\xBD");
        EXPECT_EQ(adapter.StringProperty(element, 30012), "");
        std::vector<double> values{9};
        EXPECT_TRUE(adapter.DoublesProperty(element, 30001, values));
        EXPECT_EQ(values, (std::vector<double>{1.5, -2, 300, 40}));

        // Another type than asked for is no answer, and its value is freed all the same.
        EXPECT_EQ(adapter.BoolProperty(element, 30005), std::nullopt);
        EXPECT_EQ(adapter.I32Property(element, 30001), std::nullopt);
        EXPECT_EQ(adapter.StringProperty(element, 30040), std::nullopt);
        EXPECT_FALSE(adapter.DoublesProperty(element, 30002, values));
        EXPECT_TRUE(values.empty());
    }
    ExpectAllReturned();
}

TEST_F(UiaAdapterWin32, WalksAndTextCallsForwardTheirArgumentsAndHandBackCountedReferences) {
    auto* root = world.Make<fake::Element>();
    auto* field = root->AddChild();
    auto* label = root->AddChild();
    auto* text = world.Make<fake::TextPattern>();
    field->text = text;
    auto* selected = world.Make<fake::Range>();
    selected->rectangles = {10, 20, 2, 16, 40, 20, 8, 16};
    selected->comparison = -1;
    selected->moved = -1;
    text->selection = world.Make<fake::RangeArray>();
    text->selection->ranges = {selected};
    text->caret = selected;
    text->caretActive = true;
    text->composition = world.Make<fake::Range>();
    automation->fromWindow = root;
    automation->fromPoint = label;
    {
        UiaElementRef top = adapter.ElementFromWindow(0x1234);
        EXPECT_EQ(automation->askedWindow, reinterpret_cast<HWND>(0x1234));
        UiaElementRef pointed = adapter.ElementFromPoint(Point{-5, 7});
        EXPECT_EQ(automation->askedPoint.x, -5);
        EXPECT_EQ(automation->askedPoint.y, 7);
        EXPECT_EQ(Object(pointed), AsElement(label));
        UiaElementRef first = adapter.FirstChild(top);
        EXPECT_EQ(Object(first), AsElement(field));
        UiaElementRef next = adapter.NextSibling(first);
        EXPECT_EQ(Object(next), AsElement(label));
        EXPECT_FALSE(adapter.NextSibling(next));
        EXPECT_EQ(Object(adapter.Parent(next)), AsElement(root));
        UiaElementRef again = first.Share();

        // Each text pattern is asked for with its own id and interface, and
        // each serves as a text pattern for the selection.
        UiaPatternRef plain = adapter.Pattern(first, TextPatternKind::Text);
        UiaPatternRef text2 = adapter.Pattern(first, TextPatternKind::Text2);
        UiaPatternRef edit = adapter.Pattern(again, TextPatternKind::TextEdit);
        ASSERT_TRUE(plain && text2 && edit);
        EXPECT_FALSE(adapter.Pattern(next, TextPatternKind::Text));
        for (const UiaPatternRef* pattern : {&plain, &text2, &edit})
            EXPECT_EQ(adapter.RangeArrayLength(adapter.Selection(*pattern)), 1);

        UiaRangeArrayRef selection = adapter.Selection(edit);
        UiaRangeRef range = adapter.RangeArrayElement(selection, 0);
        EXPECT_EQ(Object(range), static_cast<uia::IUIAutomationTextRange*>(selected));
        EXPECT_FALSE(adapter.RangeArrayElement(selection, 1));
        bool active = false;
        EXPECT_TRUE(adapter.CaretRange(text2, active));
        EXPECT_TRUE(active);
        EXPECT_TRUE(adapter.ActiveComposition(edit));

        UiaRangeRef copy = adapter.Clone(range);
        ASSERT_TRUE(copy);
        EXPECT_EQ(adapter.CompareEndpoints(range, TextEndpoint::Start, range, TextEndpoint::End), -1);
        EXPECT_EQ(world.calls.back(), "CompareEndpoints 0 1 1");
        EXPECT_TRUE(adapter.ExpandToEnclosingUnit(copy, TextUnit::Character));
        EXPECT_TRUE(adapter.MoveEndpointByRange(copy, TextEndpoint::Start, range, TextEndpoint::End));
        EXPECT_EQ(world.calls.back(), "MoveEndpointByRange 0 0 1");
        EXPECT_EQ(adapter.MoveEndpointByUnit(copy, TextEndpoint::End, TextUnit::Character, 1), -1);
        EXPECT_EQ(world.calls.back(), "MoveEndpointByUnit 1 0 1");
        std::vector<double> rectangles;
        EXPECT_TRUE(adapter.BoundingRectangles(copy, rectangles));
        EXPECT_EQ(rectangles, selected->rectangles);
    }
    ExpectAllReturned();
}

TEST_F(UiaAdapterWin32, AFailedCallIsNoAnswerAndLeavesNothingBehind) {
    auto* e = world.Make<fake::Element>();
    auto* sibling = world.Make<fake::Element>();
    e->parent = sibling->parent = world.Make<fake::Element>();
    e->parent->children = {e, sibling};
    e->children = {world.Make<fake::Element>()};
    e->Set(30010, true);
    e->Set(30002, 42);
    e->Set(30005, u"name");
    e->Set(30001, std::vector<double>{0, 0, 10, 10});
    auto* range = world.Make<fake::Range>();
    range->rectangles = {0, 0, 1, 1};
    auto* text = world.Make<fake::TextPattern>();
    text->selection = world.Make<fake::RangeArray>();
    text->selection->ranges = {range};
    text->caret = text->composition = range;
    text->caretActive = true;
    e->text = text;
    automation->focused = automation->fromWindow = automation->fromPoint = e;
    {
        UiaElementRef element = adapter.FocusedElement();
        UiaPatternRef edit = adapter.Pattern(element, TextPatternKind::TextEdit);
        UiaPatternRef text2 = adapter.Pattern(element, TextPatternKind::Text2);
        UiaRangeArrayRef array = adapter.Selection(edit);
        UiaRangeRef r = adapter.RangeArrayElement(array, 0);
        ASSERT_TRUE(element && edit && text2 && array && r);
        std::vector<double> values;
        bool active = false;
        const std::pair<const char*, std::function<bool()>> steps[] = {
            {"GetFocusedElement", [&] { return bool(adapter.FocusedElement()); }},
            {"ElementFromHandle", [&] { return bool(adapter.ElementFromWindow(1)); }},
            {"ElementFromPoint", [&] { return bool(adapter.ElementFromPoint({})); }},
            {"GetParentElement", [&] { return bool(adapter.Parent(element)); }},
            {"GetFirstChildElement", [&] { return bool(adapter.FirstChild(element)); }},
            {"GetNextSiblingElement", [&] { return bool(adapter.NextSibling(element)); }},
            {"GetCurrentPropertyValueEx", [&] { return adapter.BoolProperty(element, 30010).has_value(); }},
            {"GetCurrentPropertyValueEx", [&] { return adapter.I32Property(element, 30002).has_value(); }},
            {"GetCurrentPropertyValueEx", [&] { return adapter.StringProperty(element, 30005).has_value(); }},
            {"GetCurrentPropertyValueEx", [&] { return adapter.DoublesProperty(element, 30001, values); }},
            {"GetCurrentPatternAs", [&] { return bool(adapter.Pattern(element, TextPatternKind::Text)); }},
            {"GetSelection", [&] { return bool(adapter.Selection(edit)); }},
            {"get_Length", [&] { return adapter.RangeArrayLength(array).has_value(); }},
            {"GetElement", [&] { return bool(adapter.RangeArrayElement(array, 0)); }},
            {"GetCaretRange", [&] { return bool(adapter.CaretRange(text2, active)) || active; }},
            {"GetActiveComposition", [&] { return bool(adapter.ActiveComposition(edit)); }},
            {"Clone", [&] { return bool(adapter.Clone(r)); }},
            {"CompareEndpoints",
             [&] { return adapter.CompareEndpoints(r, TextEndpoint::Start, r, TextEndpoint::End).has_value(); }},
            {"ExpandToEnclosingUnit", [&] { return adapter.ExpandToEnclosingUnit(r, TextUnit::Character); }},
            {"MoveEndpointByRange",
             [&] { return adapter.MoveEndpointByRange(r, TextEndpoint::Start, r, TextEndpoint::End); }},
            {"MoveEndpointByUnit",
             [&] { return adapter.MoveEndpointByUnit(r, TextEndpoint::Start, TextUnit::Character, -1).has_value(); }},
            {"GetBoundingRectangles", [&] { return adapter.BoundingRectangles(r, values) && !values.empty(); }},
        };
        for (const auto& [method, answers] : steps) {
            SCOPED_TRACE(method);
            world.failing.clear();
            EXPECT_TRUE(answers());
            world.failing = {method};
            EXPECT_FALSE(answers());
        }
        world.failing.clear();
    }
    ExpectAllReturned();
}

TEST_F(UiaAdapterWin32, TheCaretSearchFindsACaretTwoLevelsBelowTheFocusAndGivesEveryReferenceBack) {
    // A browser-like tree: a focused pane, a group, and the edit field that
    // holds the caret, 2 pixels wide.
    auto* pane = world.Make<fake::Element>();
    auto* field = pane->AddChild()->AddChild();
    field->Set(uia_property::kControlType, uia_control_type::kEdit);
    field->Set(uia_property::kIsEnabled, true);
    field->Set(uia_property::kHasKeyboardFocus, true);
    field->Set(uia_property::kIsKeyboardFocusable, true);
    field->Set(uia_property::kIsTextEditPatternAvailable, true);
    field->Set(uia_property::kBoundingRectangle, std::vector<double>{100, 100, 300, 30});
    auto* caret = world.Make<fake::Range>();
    caret->rectangles = {150, 104, 2, 18};
    field->text = world.Make<fake::TextPattern>();
    field->text->selection = world.Make<fake::RangeArray>();
    field->text->selection->ranges = {caret};
    field->text->caret = caret;
    field->text->caretActive = true;
    automation->focused = pane;

    CaretSearch search(adapter);
    EXPECT_EQ(search.Resolve(false), (UiaCaret{UiaCaretKind::CaretFound, 150, 104, 122}));
    search.ForgetFocus();
    ExpectAllReturned();
}

TEST_F(UiaAdapterWin32, AfterATimeOutTheRestOfTheUpdateAsksTheProviderNothing) {
    // A page whose provider hangs once its focused element has been served
    // from the cache: every call would wait for the time-out.
    auto* page = world.Make<fake::Element>();
    for (int i = 0; i < 8; ++i) page->AddChild()->AddChild()->Set(uia_property::kControlType, uia_control_type::kEdit);
    automation->focused = page;
    CaretSearch search(adapter);
    search.Resolve(true);

    adapter.BeginUpdate();
    world.calls.clear();
    world.failure = static_cast<HRESULT>(0x80131505);  // UIA_E_TIMEOUT
    world.failing = {"GetCurrentPropertyValueEx", "GetCurrentPatternAs", "GetFirstChildElement",
                     "GetNextSiblingElement", "GetParentElement"};
    EXPECT_EQ(search.Resolve(true).kind, UiaCaretKind::Undetermined);
    EXPECT_EQ(world.calls.size(), 1u) << "calls that waited for the time-out";

    // The next update asks again.
    adapter.BeginUpdate();
    world.calls.clear();
    world.failing.clear();
    search.Resolve(true);
    EXPECT_GT(world.calls.size(), 1u);
    search.ForgetFocus();
    ExpectAllReturned();
}

// CoCreateInstance as the fake's registry answers it: the registered objects
// by their class, and a class that refuses to create with `refusal`.
std::vector<fake::Automation*> registered;
const GUID* refusing = nullptr;
HRESULT refusal = S_OK;
std::vector<GUID> asked;  // the classes asked for, in order
HRESULT WINAPI CreateFake(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID iid, LPVOID* out) {
    *out = nullptr;
    asked.push_back(clsid);
    if (outer || context != CLSCTX_INPROC_SERVER) return E_INVALIDARG;
    if (refusing && IsEqualCLSID(clsid, *refusing)) return refusal;
    for (fake::Automation* a : registered)
        if (IsEqualCLSID(clsid, a->clsid)) return a->QueryInterface(iid, out);
    return REGDB_E_CLASSNOTREG;
}

TEST(UiaCreationWin32, TimeOutsAreBoundedWhereTheObjectOffersThemAndTheWalkerIsTakenEitherWay) {
    for (const GUID* clsid : {&uia::kClsidCUIAutomation8, &uia::kClsidCUIAutomation}) {
        const bool windows8 = clsid == &uia::kClsidCUIAutomation8;
        SCOPED_TRACE(windows8 ? "CUIAutomation8 alone" : "CUIAutomation alone");
        fake::World world;
        registered = {world.Make<fake::Automation>(*clsid)};
        registered[0]->walker = world.Make<fake::Walker>();
        {
            UiaObjects objects = CreateUiAutomation(CreateFake);
            EXPECT_EQ(objects.automation.Get(), static_cast<uia::IUIAutomation*>(registered[0]));
            EXPECT_EQ(objects.rawWalker.Get(), registered[0]->walker);
            EXPECT_EQ(registered[0]->connectionTimeout, windows8 ? kUiaConnectionTimeoutMs : 0u);
            EXPECT_EQ(registered[0]->transactionTimeout, windows8 ? kUiaTransactionTimeoutMs : 0u);
        }
        // A walker that cannot be had leaves the object without one.
        world.failing = {"get_RawViewWalker"};
        {
            UiaObjects objects = CreateUiAutomation(CreateFake);
            EXPECT_TRUE(objects.automation);
            EXPECT_FALSE(objects.rawWalker);
        }
        EXPECT_EQ(world.liveRefs, 0);
        EXPECT_EQ(world.overReleases, 0);
    }
    registered.clear();
    UiaObjects none = CreateUiAutomation(CreateFake);
    EXPECT_FALSE(none.automation || none.rawWalker);
}

// Both classes registered. (The older class alone is the case above.)
TEST(UiaCreationWin32, TheWindows8ClassIsTakenWhereItCreatesAndTheOlderOneOtherwise) {
    const struct {
        const char* what;
        HRESULT windows8Refuses;  // S_OK: it creates
        bool expectWindows8;      // which object is kept, with its time-outs
    } cases[] = {
        {"as on Windows 8 and later", S_OK, true},
        {"the Windows 8 class fails to create", CO_E_SERVER_EXEC_FAILURE, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fake::World world;
        fake::Automation* older = world.Make<fake::Automation>(uia::kClsidCUIAutomation);
        fake::Automation* newer = world.Make<fake::Automation>(uia::kClsidCUIAutomation8);
        registered = {older, newer};
        refusing = c.windows8Refuses == S_OK ? nullptr : &uia::kClsidCUIAutomation8;
        refusal = c.windows8Refuses;
        asked.clear();
        {
            UiaObjects objects = CreateUiAutomation(CreateFake);
            fake::Automation* kept = c.expectWindows8 ? newer : older;
            EXPECT_EQ(objects.automation.Get(), static_cast<uia::IUIAutomation*>(kept));
            EXPECT_EQ(kept->connectionTimeout, c.expectWindows8 ? kUiaConnectionTimeoutMs : 0u);
            EXPECT_EQ(kept->transactionTimeout, c.expectWindows8 ? kUiaTransactionTimeoutMs : 0u);
            ASSERT_FALSE(asked.empty());
            EXPECT_TRUE(IsEqualCLSID(asked.front(), uia::kClsidCUIAutomation8)) << "the Windows 8 class is asked first";
            EXPECT_EQ(asked.size(), c.expectWindows8 ? 1u : 2u);
        }
        EXPECT_EQ(world.liveRefs, 0);
        EXPECT_EQ(world.overReleases, 0);
    }
    registered.clear();
    refusing = nullptr;
}

}  // namespace
}  // namespace tessel
