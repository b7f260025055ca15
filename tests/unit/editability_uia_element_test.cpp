// Reading one UI Automation element: editability, the text caret from its
// patterns, the empty-field guess and the focused-element cache.
#include <gtest/gtest.h>

#include <optional>

#include "doubles/scripted_automation.h"
#include "editability/uia_caret_search.h"
#include "editability/uia_element_reading.h"
#include "editability/uia_text_caret.h"

namespace tessel {
namespace {

using testing::ScriptedNode;
using testing::ScriptedWindow;
using testing::TextSpan;
using testing::UiaCall;
using testing::UiaRig;
namespace prop = uia_property;

ScriptedWindow Window(std::u16string cls, Rect rect) {
    ScriptedWindow w;
    w.className = std::move(cls);
    w.rect = rect;
    w.processId = 77;
    return w;
}

FocusSnapshot Snap(WindowId foreground, WindowId focus = 2) {
    FocusSnapshot s;
    s.foreground = s.active = foreground;
    s.focus = focus;
    s.processId = 77;
    return s;
}

TEST(EditabilityUiaElement, EditabilityFromProperties) {
    UiaRig r;
    auto of = [&](ScriptedNode& n) {
        r.a.focused = 1;
        r.a.Node(1) = n;
        return ElementEditability(r.a, r.a.FocusedElement());
    };
    ScriptedNode disabled;
    disabled.Editable().bools[prop::kIsEnabled] = false;
    r.a.Add(1);
    EXPECT_EQ(of(disabled), Editability::NotEditable);

    ScriptedNode role;
    role.strings[prop::kAriaRole] = " textbox\tsearchbox ";
    role.bools[prop::kHasKeyboardFocus] = false;
    role.bools[prop::kIsKeyboardFocusable] = false;
    EXPECT_EQ(of(role), Editability::NotEditable);
    role.bools[prop::kIsKeyboardFocusable] = true;
    EXPECT_EQ(of(role), Editability::TextInput);
    role.strings[prop::kAriaRole] = "Presentation";
    EXPECT_EQ(of(role), Editability::CodeOrPresentation);

    ScriptedNode document;
    document.ints[prop::kControlType] = uia_control_type::kDocument;
    document.bools[prop::kHasKeyboardFocus] = true;
    document.bools[prop::kIsTextEditPatternAvailable] = true;
    EXPECT_EQ(of(document), Editability::EditableDocument);
    document.bools.erase(prop::kIsTextEditPatternAvailable);
    EXPECT_EQ(of(document), Editability::StaticText);

    // A read-only value or a read-only accessibility state wins over the control type.
    ScriptedNode readOnly;
    readOnly.Editable().bools[prop::kIsValuePatternAvailable] = true;
    readOnly.bools[prop::kValueIsReadOnly] = true;
    EXPECT_EQ(of(readOnly), Editability::NotEditable);
    readOnly.bools[prop::kValueIsReadOnly] = false;
    readOnly.ints[prop::kLegacyIAccessibleState] = 0x40;
    EXPECT_EQ(of(readOnly), Editability::NotEditable);
    EXPECT_EQ(ElementEditability(r.a, UiaElementRef{}), Editability::UnknownEditability);
    EXPECT_EQ(r.Leaks(), "");
}

// Focused, focusable fields that the properties above would still call text input.
TEST(EditabilityUiaElement, UnavailableStateAndComboBoxWithoutAnythingToWrite) {
    struct Case {
        const char* what;
        std::int32_t controlType;
        std::optional<std::int32_t> legacyState;
        std::optional<bool> valueReadOnly;  // empty: no Value pattern
        Editability expected;
    };
    const Case cases[] = {
        {"unavailable edit", uia_control_type::kEdit, 0x1, false, Editability::NotEditable},
        {"drop-down list", uia_control_type::kComboBox, std::nullopt, std::nullopt, Editability::UnknownEditability},
        {"editable combo box", uia_control_type::kComboBox, std::nullopt, false, Editability::TextInput},
    };
    for (const Case& c : cases) {
        UiaRig r;
        ScriptedNode& n = r.a.Add(1);
        n.ints[prop::kControlType] = c.controlType;
        n.bools[prop::kIsEnabled] = n.bools[prop::kHasKeyboardFocus] = n.bools[prop::kIsKeyboardFocusable] = true;
        if (c.legacyState) n.ints[prop::kLegacyIAccessibleState] = *c.legacyState;
        if (c.valueReadOnly) {
            n.bools[prop::kIsValuePatternAvailable] = true;
            n.bools[prop::kValueIsReadOnly] = *c.valueReadOnly;
        }
        r.a.focused = 1;
        EXPECT_EQ(ElementEditability(r.a, r.a.FocusedElement()), c.expected) << c.what;
        EXPECT_EQ(r.Leaks(), "");
    }
}

// An editor line of ten 8-pixel characters from x = 100, 16 pixels high.
struct EditorRig : UiaRig {
    ScriptedNode& editor = a.Add(1).Editable().Rect(90, 190, 400, 40).Text(10, 100, 200, 8, 16);
    UiaCaret TextCaret(bool chromium = false) {
        a.focused = 1;
        return TextCaretOfElement(env, a.FocusedElement(), chromium);
    }
};

TEST(EditabilityUiaElement, TextCaretFromSelectionAndCaretRange) {
    EditorRig r;
    r.editor.selection = {TextSpan{2, 5}};  // three characters selected
    EXPECT_EQ(r.TextCaret().kind, UiaCaretKind::NoCaret);

    // A degenerate selection with a 2-pixel caret rectangle: that rectangle.
    r.editor.selection = {TextSpan{3, 3}};
    r.editor.emptyRangeRects = {ElementRect{124, 200, 2, 16}};
    EXPECT_EQ(r.TextCaret(), (UiaCaret{UiaCaretKind::CaretFound, 124, 200, 216}));

    // A caret range without a rectangle at the end of the line: the right edge
    // of the previous character.
    r.editor.selection.clear();
    r.editor.emptyRangeRects.clear();
    r.editor.caret = TextSpan{10, 10};
    EXPECT_EQ(r.TextCaret(), (UiaCaret{UiaCaretKind::CaretFound, 180, 200, 216}));

    // A previous character 70 pixels wide is no character box: no caret from it.
    r.editor.Text(3, 100, 200, 70, 16);
    r.editor.caret = TextSpan{3, 3};
    EXPECT_EQ(r.TextCaret().kind, UiaCaretKind::Undetermined);
    EXPECT_EQ(r.Leaks(), "");
}

// A provider that cannot move endpoints: the character the caret range expands
// to, its right edge when the caret stands after it at the end of the text.
TEST(EditabilityUiaElement, CaretFromTheEnclosingCharacter) {
    struct Case {
        int at;
        int x;
    };
    for (const Case c : {Case{10, 180}, Case{3, 124}}) {
        EditorRig r;
        r.a.Fail(UiaCall::MoveEndpointByUnit);
        r.editor.caret = TextSpan{c.at, c.at};
        EXPECT_EQ(r.TextCaret(), (UiaCaret{UiaCaretKind::CaretFound, c.x, 200, 216})) << "caret before " << c.at;
        EXPECT_EQ(r.Leaks(), "");
    }
}

TEST(EditabilityUiaElement, CaretMustLieWithinSixPixelsOfItsElement) {
    EditorRig r;
    r.editor.caret = TextSpan{0, 0};
    r.editor.emptyRangeRects = {ElementRect{497, 200, 2, 16}};  // 7 right of the element
    EXPECT_EQ(r.TextCaret().kind, UiaCaretKind::Undetermined);
    r.editor.emptyRangeRects = {ElementRect{496, 200, 2, 16}};
    EXPECT_EQ(r.TextCaret().kind, UiaCaretKind::CaretFound);
    // Without a readable rectangle the candidate passes.
    r.editor.rect.reset();
    r.editor.emptyRangeRects = {ElementRect{900, 200, 2, 16}};
    EXPECT_EQ(r.TextCaret().X, 900);
    EXPECT_EQ(r.Leaks(), "");
}

TEST(EditabilityUiaElement, CompositionAndAddressBar) {
    EditorRig r;
    // While composing, the caret follows the end of the composition.
    r.editor.composition = TextSpan{2, 5};
    r.editor.caret = TextSpan{9, 9};
    EXPECT_EQ(r.TextCaret(), (UiaCaret{UiaCaretKind::CaretFound, 140, 200, 216}));

    // An omnibox with typed text and no selection range: undecided, whatever
    // its caret range says.
    r.editor.composition.reset();
    r.editor.strings[prop::kClassName] = "OmniboxViewViews";
    r.editor.strings[prop::kValueValue] = "tessel";
    EXPECT_EQ(r.TextCaret().kind, UiaCaretKind::Undetermined);
    r.editor.strings[prop::kValueValue] = "";
    EXPECT_EQ(r.TextCaret().kind, UiaCaretKind::CaretFound);
    EXPECT_EQ(r.Leaks(), "");
}

TEST(EditabilityUiaElement, EmptyFieldGuessNearTheTopOfTheScope) {
    UiaRig r;
    r.d.AddWindow(5, Window(u"Chrome_WidgetWin_1", {0, 0, 1000, 600}));  // band 200
    r.d.AddWindow(6, Window(u"Chrome_WidgetWin_1", {0, 0, 1000, 900}));  // band 300
    ScriptedNode& field = r.a.Add(1).Editable().Rect(50, 40, 300, 30);
    field.bools[prop::kValueIsReadOnly] = false;
    r.a.focused = 1;
    EXPECT_EQ(EmptyFieldGuess(r.env, r.a.FocusedElement(), 5), (CaretInfo{true, 54, 42, 68}));
    EXPECT_FALSE(EmptyFieldGuess(r.env, r.a.FocusedElement(), kNoWindow).Found);
    field.Rect(50, 700, 300, 30);
    EXPECT_FALSE(EmptyFieldGuess(r.env, r.a.FocusedElement(), 6).Found);
    field.Rect(50, 40, 60, 30);
    EXPECT_FALSE(EmptyFieldGuess(r.env, r.a.FocusedElement(), 5).Found);
    // A plain element is a field by its ARIA role, padded as pages write it.
    ScriptedNode& div = r.a.Add(2).Rect(50, 40, 300, 30);
    div.strings[prop::kAriaRole] = "\u00a0searchbox ";
    div.bools[prop::kIsKeyboardFocusable] = false;  // read only as a field by its role
    r.a.focused = 2;
    EXPECT_TRUE(EmptyFieldGuess(r.env, r.a.FocusedElement(), 5).Found);
    EXPECT_EQ(r.Leaks(), "");
}

TEST(EditabilityUiaElement, FocusedElementReusedFor100Ms) {
    UiaRig r;
    r.a.Add(1);
    r.a.focused = 1;
    EXPECT_TRUE(CachedFocusedElement(r.env, Snap(5)));
    r.clock.AdvanceMs(100);
    EXPECT_TRUE(CachedFocusedElement(r.env, Snap(5)));
    EXPECT_EQ(r.a.Calls(UiaCall::FocusedElement), 1);
    // Older, or for another focus window: asked again.
    r.clock.AdvanceMs(1);
    EXPECT_TRUE(CachedFocusedElement(r.env, Snap(5)));
    EXPECT_TRUE(CachedFocusedElement(r.env, Snap(5, 3)));
    EXPECT_EQ(r.a.Calls(UiaCall::FocusedElement), 3);
    EXPECT_EQ(r.a.LiveReferences(), 1);  // the cache's own
    // No foreground window empties the cache.
    EXPECT_FALSE(CachedFocusedElement(r.env, Snap(kNoWindow)));
    EXPECT_EQ(r.a.LiveReferences(), 0);
    EXPECT_EQ(r.Leaks(), "");
}

}  // namespace
}  // namespace tessel
