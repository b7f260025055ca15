#include "badge/mode_sound.h"

#include "config/settings_path.h"
#include "input_mode/classify_input_mode.h"

namespace tessel {

namespace {
constexpr int kVkCapital = 0x14;
}  // namespace

std::optional<std::string_view> SoundFileFor(InputMode mode, const Settings& settings) {
    if (!settings.PlaySounds) return std::nullopt;
    switch (mode) {
        case InputMode::English:
            if (settings.PlayEnglishSound) return "IMEE.wav";
            break;
        case InputMode::Hiragana:
        case InputMode::Katakana:
            if (settings.PlayJapaneseSound) return "IMEJ.wav";
            break;
        case InputMode::Korean:
            if (settings.PlayKoreanSound) return "IMEK.wav";
            break;
        case InputMode::Chinese:
        case InputMode::None:
            break;
    }
    return std::nullopt;
}

std::optional<InputMode> TrackMode(ModeState& mode, BadgeState& badge, const ModeServices& services,
                                   const Settings& settings, std::string_view exeDirectory, const ImeStatus& status) {
    const MonoTime now = services.clock.Now();
    const std::optional<InputMode> classified = ClassifyInputMode(status);
    if (status.Source == StatusSource::Unavailable || !classified) {
        HideBadge(badge, services.badgePlatform);
        if (!mode.UnavailableSince) mode.UnavailableSince = now;
        if (!mode.UnavailableReset) {
            const std::optional<Duration> spell = Elapsed(now, *mode.UnavailableSince);
            if (spell && *spell > kUnavailableForgetAfter) {
                mode.UnavailableReset = true;
                mode.LastMode = InputMode::None;
            }
        }
        return std::nullopt;
    }
    mode.UnavailableSince.reset();
    mode.UnavailableReset = false;
    const InputMode m = *classified;
    const bool capsLock = services.badgePlatform.KeyToggled(kVkCapital);
    if (m != mode.LastMode || capsLock != mode.LastCapsLock) {
        if (m != mode.LastMode) {
            if (const std::optional<std::string_view> file = SoundFileFor(m, settings)) {
                const std::string path = JoinWindowsPath(exeDirectory, *file);
                // A missing file or a directory of that name plays nothing.
                if (services.sound.IsRegularFile(path)) services.sound.PlayFileAsync(path);
            }
        }
        mode.LastMode = m;
        mode.LastCapsLock = capsLock;
    }
    return m;
}

void ApplyMode(ModeState& mode, BadgeState& badge, const ModeServices& services, const Settings& settings,
               std::string_view exeDirectory, const ImeStatus& status, const BadgeAnchor& caret,
               const std::optional<Rect>& keepOut) {
    if (const std::optional<InputMode> m = TrackMode(mode, badge, services, settings, exeDirectory, status))
        ShowBadge(badge, services.badgePlatform, settings, *m, mode.LastCapsLock, caret, keepOut);
}

}  // namespace tessel
