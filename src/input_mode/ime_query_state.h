#pragma once
// What the input-mode query remembers between calls.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

#include "common/time.h"
#include "platform/types.h"

namespace tessel {

enum class ProbeMethod : std::uint8_t { ImeWindow = 0, InputContext = 1, NoMethod = 2 };

// The focus as it was when the remembered source was found.
struct FocusKey {
    WindowId active = kNoWindow;
    WindowId focus = kNoWindow;
    WindowId caret = kNoWindow;
    WindowId foreground = kNoWindow;
    WindowId uiaFocusWindow = kNoWindow;
    std::uint32_t uiaFocusProcessId = 0;
    friend constexpr bool operator==(const FocusKey&, const FocusKey&) = default;
};

// Key of the recent-status table: a thread id, or a window handle when the
// thread is unknown. The tag keeps the two kinds apart.
struct StatusKey {
    enum class Kind : std::uint8_t { Thread = 0, Window = 1 };
    Kind kind = Kind::Thread;
    std::uint64_t value = 0;

    static StatusKey For(std::uint32_t threadId, WindowId window) {
        if (threadId != 0) return StatusKey{Kind::Thread, threadId};
        return StatusKey{Kind::Window, static_cast<std::uint64_t>(window)};
    }
    friend constexpr bool operator==(const StatusKey&, const StatusKey&) = default;
};

// Keyed with a seed chosen once per process, so that table layout cannot be
// predicted from outside.
struct StatusKeyHash {
    std::size_t operator()(const StatusKey& key) const noexcept;
};

struct RecentStatusEntry {
    MonoTime written{};
    std::uint32_t Conversion = 0;
    std::uint16_t Language = 0;
    bool Open = false;
};

// Windows of IME host processes, built by host discovery and reused for 1 s.
struct HostWindowCache {
    std::vector<WindowId> Windows;  // at most 128
    MonoTime Time{};
    std::uint32_t ForegroundProcessId = 0;
    std::uint32_t UiaProcessId = 0;
};

struct ImeQueryState {
    ProbeMethod LastMethod = ProbeMethod::NoMethod;
    WindowId LastSourceWindow = kNoWindow;
    std::uint32_t LastSourceThread = 0;  // a window keeps its thread for life
    WindowId LastImeWindow = kNoWindow;
    FocusKey LastFocusKey{};
    std::unordered_map<StatusKey, RecentStatusEntry, StatusKeyHash> RecentStatus;
    OptionalTime LastPurge;
    std::optional<tessel::HostWindowCache> HostWindowCache;  // absent until first built
};

}  // namespace tessel
