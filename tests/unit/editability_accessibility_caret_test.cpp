// The accessibility caret: which boxes count as a caret, and the searches
// over the edit children of a host window.
#include <gtest/gtest.h>

#include "doubles/scripted_accessibility.h"
#include "doubles/scripted_desktop.h"
#include "editability/accessibility_caret.h"
#include "editability/accessibility_caret_search.h"

namespace tessel {
namespace {

using testing::ScriptedAccessibility;
using testing::ScriptedDesktop;
using testing::ScriptedWindow;

TEST(AccessibilityCaret, OnlyCaretSizedBoxes) {
    EXPECT_EQ(CaretFromAccessibleBox({100, 50, 0, 18}), (CaretInfo{true, 101, 50, 68}));
    EXPECT_EQ(CaretFromAccessibleBox({100, 50, 2, 18}).X, 102);
    EXPECT_TRUE(CaretFromAccessibleBox({100, 50, 8, 256}).Found);
    EXPECT_FALSE(CaretFromAccessibleBox({100, 50, 9, 18}).Found);
    EXPECT_FALSE(CaretFromAccessibleBox({100, 50, 0, 0}).Found);
    EXPECT_FALSE(CaretFromAccessibleBox({100, 50, 0, 257}).Found);
    EXPECT_FALSE(CaretFromAccessibleBox({100, 50, -1, 18}).Found);
    EXPECT_FALSE(CaretFromAccessibleBox({100, 50, 0, -18}).Found);
    const CaretInfo edge = CaretFromAccessibleBox({0, 2147483647, 0, 1});
    EXPECT_EQ(edge.Top, 2147483647);
    EXPECT_EQ(edge.Bottom, 2147483647);
}

TEST(AccessibilityCaret, DeadWindowsAreNotAsked) {
    ScriptedDesktop d;
    ScriptedAccessibility a;
    a.SetCaret(5, 10, 10, 20);
    EXPECT_FALSE(AccessibleCaret(d, a, 5).Found);
    EXPECT_FALSE(AccessibleCaret(d, a, kNoWindow).Found);
    EXPECT_TRUE(a.asked.empty());
}

TEST(AccessibilityCaret, ChildSearchPrefersAPlausibleCaretOverTheFirstEditGuess) {
    ScriptedDesktop d;
    ScriptedAccessibility a;
    auto child = [&](WindowId id, std::u16string cls, Rect r, bool enabled = true) {
        ScriptedWindow w;
        w.className = std::move(cls);
        w.parent = 1;
        w.rect = r;
        w.enabled = enabled;
        d.AddWindow(id, w);
    };
    d.AddWindow(1, ScriptedWindow{});
    child(2, u"Edit", {0, 0, 50, 20}, false);  // disabled: skipped
    child(3, u"EDTBX", {100, 200, 300, 220});  // no caret object: the fallback
    child(4, u"Edit", {100, 300, 300, 320});
    child(5, u"Edit", {100, 400, 300, 420});
    a.SetCaret(4, 150, 302, 318);
    a.SetCaret(5, 150, 402, 418);
    const ChildCaretSearch found = SearchChildCarets(d, a, 1);
    EXPECT_EQ(found.fallback, (CaretInfo{true, 104, 203, 217}));
    EXPECT_EQ(found.preferred, (CaretInfo{true, 150, 302, 318}));
    EXPECT_EQ(a.asked, (std::vector<WindowId>{3, 4}));  // stops at the first plausible caret
}

}  // namespace
}  // namespace tessel
