#pragma once
// Whether an Outlook message pane is where the user writes (a new mail, an
// appointment, an inline reply) or where the user reads. Only Outlook knows,
// so the running application is asked; its answer is cached per focus target.
#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/focus_snapshot.h"
#include "outlook/outlook_automation.h"
#include "platform/desktop.h"
#include "platform/types.h"

namespace tessel {

// Answers of the compose-window test.
constexpr std::uint8_t kComposeSurface = 0;     // the badge may show and the pane's caret be used
constexpr std::uint8_t kNotComposeSurface = 1;  // reading, or Outlook could not be asked
constexpr std::uint8_t kNotOutlookPane = 3;     // the test does not apply

// The last answer and the focus target it was given for. Not keyed by the
// window asked about: the caret and focus windows of one target share it.
struct OutlookAnswerCache {
    WindowId foreground = kNoWindow;
    WindowId focus = kNoWindow;
    WindowId caret = kNoWindow;
    std::uint8_t answer = kNotOutlookPane;  // kNotOutlookPane: empty
};

// The answer for `window` (0, 1 or 3). Non-Outlook windows never reach COM.
// When Outlook answered late (outlook.Late()), the answer is 1 and nothing
// is cached.
std::uint8_t ComposeWindowTest(Desktop& desktop, OutlookAutomation& outlook, OutlookAnswerCache& cache,
                               const FocusSnapshot& snapshot, WindowId window);

// A Caption value against the window title: both trimmed of white space, then
// equal byte for byte. Anything but a string never matches.
bool CaptionMatches(const OutlookValue& caption, std::string_view titleUtf8);

// Outlook item classes that are always written, never read.
bool IsComposeClass(std::int32_t itemClass);

constexpr std::int32_t kOlMail = 43;

}  // namespace tessel
