#pragma once
// A badge that shows for a few seconds after a change and then steps aside:
// what counts as a change, and when the badge comes back.
#include <cstdint>
#include <optional>

#include "input_mode/input_mode.h"
#include "platform/types.h"

namespace tessel {

// What the badge shows and where the user types; a change of any of it
// brings a stepped-aside badge back.
struct PresenceKey {
    InputMode mode = InputMode::None;
    bool capsLock = false;
    WindowId foreground = kNoWindow;
    WindowId focus = kNoWindow;
    friend constexpr bool operator==(const PresenceKey&, const PresenceKey&) = default;
};

struct BadgePresence {
    bool steppedAside = false;  // hidden until the next change
    bool timerArmed = false;    // the step-aside timer runs
    bool focusMoved = false;    // a focus or foreground event since the last decision
    std::optional<PresenceKey> last;
};

struct PresenceDecision {
    bool show = false;
    bool armTimer = false;     // (re)start the step-aside timer
    bool disarmTimer = false;  // stop it: the badge stays
};

// Called whenever the badge would be shown with `now`. `badgeSeconds` 0 keeps
// the badge always. A moved caret alone is no change.
PresenceDecision DecidePresence(BadgePresence& presence, std::uint8_t badgeSeconds, const PresenceKey& now);

// The step-aside timer fired: the badge hides until the next change.
inline void StepAside(BadgePresence& presence) {
    presence.steppedAside = true;
    presence.timerArmed = false;
}

}  // namespace tessel
