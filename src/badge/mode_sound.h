#pragma once
// The step between reading the input status and showing the badge: decides
// whether the mode changed, plays its sound, tracks Caps Lock, and hides the
// badge while no status can be read.
#include <optional>
#include <string>
#include <string_view>

#include "badge/badge.h"
#include "badge/badge_platform.h"
#include "badge/badge_state.h"
#include "common/time.h"
#include "config/settings.h"
#include "input_mode/input_mode.h"
#include "platform/clock.h"
#include "platform/sound.h"
#include "platform/types.h"

namespace tessel {

struct ModeState {
    InputMode LastMode = InputMode::None;  // None: the next known mode counts as a change
    bool LastCapsLock = false;
    OptionalTime UnavailableSince;         // start of the current unavailable spell
    bool UnavailableReset = false;         // LastMode already forgotten in this spell
};

// How long the status may stay unavailable before the mode is forgotten.
constexpr Duration kUnavailableForgetAfter = Ms(300);

// The sound file of a mode ("IMEE.wav", ...) if the settings allow playing
// it; empty when no sound is due.
std::optional<std::string_view> SoundFileFor(InputMode mode, const Settings& settings);

// Everything ApplyMode reaches outside its state.
struct ModeServices {
    const Clock& clock;
    BadgePlatform& badgePlatform;
    Sound& sound;
};

// ApplyMode up to the badge: the sound, LastMode and Caps Lock, and the hide
// while no status can be read. Returns the mode to show (with Caps Lock in
// `mode.LastCapsLock`), or empty when the badge was hidden.
std::optional<InputMode> TrackMode(ModeState& mode, BadgeState& badge, const ModeServices& services,
                                   const Settings& settings, std::string_view exeDirectory, const ImeStatus& status);

void ApplyMode(ModeState& mode, BadgeState& badge, const ModeServices& services, const Settings& settings,
               std::string_view exeDirectory, const ImeStatus& status, const BadgeAnchor& caret,
               const std::optional<Rect>& keepOut);

}  // namespace tessel
