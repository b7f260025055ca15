#pragma once
// Showing, moving, redrawing and hiding the badge.
#include <functional>
#include <optional>

#include "badge/badge_geometry.h"
#include "badge/badge_platform.h"
#include "badge/badge_state.h"
#include "config/settings.h"
#include "input_mode/input_mode.h"
#include "platform/types.h"

namespace tessel {

// Shows the badge for `mode` beside the caret, moving or redrawing it only as
// far as needed; hides it for Chinese (and for None, which has no glyph) and
// when drawing fails. `keepOut` is a frame the badge must not cover.
void ShowBadge(BadgeState& badge, BadgePlatform& platform, const Settings& settings, InputMode mode, bool capsLock,
               const BadgeAnchor& caret, const std::optional<Rect>& keepOut);

void HideBadge(BadgeState& badge, BadgePlatform& platform);

// Puts a visible badge back on top of the topmost band at its last position.
void ReassertTopmost(BadgeState& badge, BadgePlatform& platform);

// Runs after each update started by a WinEvent or the poll timer. Calls
// `requestFullUpdate` when another full update is wanted; the caller empties
// the caret caches and marks a full update pending.
void TickTopmostCountdown(BadgeState& badge, BadgePlatform& platform, const std::function<void()>& requestFullUpdate);

// The DPI ShowBadge would use at the caret, refreshing the per-monitor cache.
std::uint32_t BadgeDpiAt(BadgeState& badge, BadgePlatform& platform, Point caret);

}  // namespace tessel
