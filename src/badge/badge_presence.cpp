#include "badge/badge_presence.h"

namespace tessel {

PresenceDecision DecidePresence(BadgePresence& presence, std::uint8_t badgeSeconds, const PresenceKey& now) {
    PresenceDecision d;
    const bool changed = !presence.last || !(*presence.last == now) || presence.focusMoved;
    presence.last = now;
    presence.focusMoved = false;
    if (badgeSeconds == 0) {
        presence.steppedAside = false;
        d.disarmTimer = presence.timerArmed;
        presence.timerArmed = false;
        d.show = true;
        return d;
    }
    if (changed) {
        presence.steppedAside = false;
        d.armTimer = true;
    } else if (presence.steppedAside) {
        return d;
    } else {
        // Shown without a running timer: the setting was just turned on.
        d.armTimer = !presence.timerArmed;
    }
    presence.timerArmed = presence.timerArmed || d.armTimer;
    d.show = true;
    return d;
}

}  // namespace tessel
