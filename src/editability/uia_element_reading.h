#pragma once
// Reading one UI Automation element: its editability, its rectangle, the
// guesses for empty fields, and the few element tests the rules rely on.
#include <optional>
#include <string>
#include <string_view>

#include "editability/caret_info.h"
#include "editability/uia_element.h"
#include "editability/uia_state.h"
#include "platform/focus_snapshot.h"

namespace tessel {

// The focused element, reused for 100 ms for the same foreground, focus and
// caret windows. The reference returned is the caller's.
UiaElementRef CachedFocusedElement(UiaEnv& env, const FocusSnapshot& snapshot);

// A string property as UTF-8; none when the read fails.
std::optional<std::string> ReadStringProperty(Automation& automation, const UiaElementRef& element, int propertyId);

// Plain substring test on the UTF-8 bytes.
bool ContainsText(std::string_view text, std::string_view pattern);
// The same with ASCII letters of `text` lowered first (`lowerPattern` is
// lower case already); spares a lowered copy of the text.
bool ContainsLoweredText(std::string_view text, std::string_view lowerPattern);

// The bounding rectangle (left, top, width, height); none when unreadable.
std::optional<ElementRect> ElementRectangle(UiaEnv& env, const UiaElementRef& element);

// All four values finite, width and height above 0.
bool IsUsableRect(const ElementRect& r);

// A point-with-extent guessed inside a field: 4 pixels from its left, 2 from
// its top and bottom.
CaretInfo GuessInside(const ElementRect& r);

// The caret point lies within 6 pixels of the rectangle.
bool NearRect(const CaretInfo& point, const ElementRect& r);

Editability ElementEditability(Automation& automation, const UiaElementRef& element);

// TextInput, or EditableDocument outside Chromium.
bool StronglyEditable(Editability e, bool chromium);

// The ARIA role or class name says the element takes text input.
bool HasTextInputRole(std::string_view role);

// An empty single-line field that exposes no caret range. Callers that have
// just read the element's editability pass it on to spare the reads.
CaretInfo EmptyFieldGuess(UiaEnv& env, const UiaElementRef& element, WindowId scope,
                          std::optional<Editability> known = std::nullopt);
// A field whose value is empty.
CaretInfo EmptyValueGuess(UiaEnv& env, const UiaElementRef& element);

bool IsAddressBar(Automation& automation, const UiaElementRef& element);

// Task Manager's search box, found through its composition bridge element.
bool IsTaskManagerSearchBox(UiaEnv& env, const UiaElementRef& element, WindowId window);

}  // namespace tessel
