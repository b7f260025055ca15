#include "input_mode/query_ime_status.h"

#include "input_mode/ime_host_discovery.h"

#include <optional>
#include <unordered_set>
#include <vector>

namespace tessel {
namespace {

constexpr std::size_t kPurgeAbove = 128;
constexpr Duration kPurgeInterval = Ms(1000);
constexpr Duration kRecentKeep = Ms(10'000);
constexpr Duration kRecentFresh = Ms(400);
constexpr int kMaxParentLevels = 7;

constexpr std::uint16_t kPrimaryMask = 0x3FF;
constexpr std::uint16_t kChinese = 0x04;
constexpr std::uint16_t kJapanese = 0x11;
constexpr std::uint16_t kKorean = 0x12;
constexpr std::uint32_t kJapaneseHiragana = 0x9;  // native | full-shape
constexpr std::uint32_t kKoreanHangul = 0x1;      // native

// What one answered probe read.
struct ProbeAnswer {
    bool open = false;
    std::uint32_t conversion = 0;
    bool conversionKnown = true;
};

std::uint16_t PrimaryLanguage(std::uint16_t langId) { return langId & kPrimaryMask; }

std::uint16_t LanguageOfThread(Desktop& desktop, std::uint32_t threadId) {
    if (threadId == 0) return 0;
    return static_cast<std::uint16_t>(desktop.KeyboardLayout(threadId) & 0xFFFF);
}

void Purge(ImeQueryState& state, MonoTime now) {
    if (state.RecentStatus.size() <= kPurgeAbove) return;
    if (state.LastPurge) {
        auto sinceLast = Elapsed(now, *state.LastPurge);
        if (!sinceLast || *sinceLast < kPurgeInterval) return;
    }
    for (auto it = state.RecentStatus.begin(); it != state.RecentStatus.end();) {
        auto age = Elapsed(now, it->second.written);
        if (!age || *age > kRecentKeep) it = state.RecentStatus.erase(it);
        else ++it;
    }
    state.LastPurge = now;
}

// Stores a fresh reading under its thread (or window) and returns it as live.
ImeStatus Record(ImeQueryState& state, Desktop& desktop, MonoTime now, std::uint32_t threadId, WindowId window,
                 const ProbeAnswer& answer) {
    ImeStatus status;
    status.Language = LanguageOfThread(desktop, threadId);
    status.Open = answer.open;
    status.Conversion = answer.open ? answer.conversion : 0;
    if (answer.open && !answer.conversionKnown) {
        // Some IMEs leave the conversion query unanswered; assume their usual native mode.
        const std::uint16_t primary = PrimaryLanguage(status.Language);
        status.Conversion = primary == kJapanese ? kJapaneseHiragana : primary == kKorean ? kKoreanHangul : 0;
    }
    status.Source = StatusSource::Live;
    state.RecentStatus[StatusKey::For(threadId, window)] =
        RecentStatusEntry{now, status.Conversion, status.Language, status.Open};
    return status;
}

// Asks a default IME window for its open status and, when open, its conversion.
std::optional<ProbeAnswer> ProbeImeWindow(Ime& ime, WindowId imeWindow) {
    auto open = ime.SendImeControl(imeWindow, kImcGetOpenStatus);
    if (!open) return std::nullopt;
    ProbeAnswer answer;
    if (*open == 0) return answer;
    answer.open = true;
    auto conversion = ime.SendImeControl(imeWindow, kImcGetConversionMode);
    if (conversion) answer.conversion = static_cast<std::uint32_t>(*conversion);
    else answer.conversionKnown = false;
    return answer;
}

ProbeAnswer ProbeContext(Ime& ime, ImeContextId context) {
    ProbeAnswer answer;
    if (!ime.OpenStatus(context)) return answer;
    answer.open = true;
    auto conversion = ime.ConversionStatus(context);
    if (conversion) answer.conversion = *conversion;
    else answer.conversionKnown = false;
    return answer;
}

FocusKey MakeFocusKey(const FocusSnapshot& focus, WindowId uiaFocusWindow, std::uint32_t uiaFocusProcessId) {
    return FocusKey{focus.active, focus.focus, focus.caret, focus.foreground, uiaFocusWindow, uiaFocusProcessId};
}

std::optional<ImeStatus> FastPath(ImeQueryState& state, const ImeQueryServices& s, MonoTime now,
                                  bool windowsUnchanged) {
    Desktop& desktop = s.desktop;
    const WindowId source = state.LastSourceWindow;
    if (state.LastMethod == ProbeMethod::ImeWindow) {
        const WindowId imeWindow = state.LastImeWindow;
        if (imeWindow == kNoWindow) return std::nullopt;
        // At rest each check is a round trip to the window manager every 5 s;
        // the caller vouches for the windows and a dead IME window fails the send.
        if (!windowsUnchanged && (s.ime.DefaultImeWindow(source) != imeWindow || !desktop.IsWindow(imeWindow)))
            return std::nullopt;
        auto answer = ProbeImeWindow(s.ime, imeWindow);
        if (!answer) return std::nullopt;
        // The search read the source's thread; this path runs on every quiet
        // poll, where each read is a round trip to the window manager.
        return Record(state, desktop, now, state.LastSourceThread, source, *answer);
    }
    if (state.LastMethod == ProbeMethod::InputContext) {
        if (source == kNoWindow || !desktop.IsWindow(source)) return std::nullopt;
        InputContextOwner context(s.ime, source);
        if (!context) return std::nullopt;
        const ProbeAnswer answer = ProbeContext(s.ime, context.Get());
        context.Reset();
        const std::uint32_t thread = desktop.WindowThreadProcessId(source, nullptr);
        return Record(state, desktop, now, thread, source, answer);
    }
    return std::nullopt;
}

// One full search: the candidate list, the IME windows asked so far and the
// thread id of each candidate once it has been read.
class Search {
public:
    Search(ImeQueryState& state, const ImeQueryServices& services, MonoTime now, FocusKey key)
        : state_(state), s_(services), now_(now), key_(key) {
        list_.Windows.reserve(32);
        list_.Seen.reserve(64);
    }

    CandidateList& List() { return list_; }

    void AddChain(WindowId window) {
        if (window == kNoWindow) return;
        Desktop& d = s_.desktop;
        AddCandidate(list_, d, window);
        WindowId child = window;
        for (int level = 0; level < kMaxParentLevels; ++level) {
            const WindowId parent = d.Parent(child);
            if (parent == kNoWindow || parent == child) break;
            AddCandidate(list_, d, parent);
            child = parent;
        }
        AddCandidate(list_, d, d.Ancestor(window, AncestorKind::Root));
        AddCandidate(list_, d, d.Ancestor(window, AncestorKind::RootOwner));
    }

    std::uint32_t ThreadOf(std::size_t index) {
        if (threads_.size() < list_.Windows.size()) threads_.resize(list_.Windows.size(), kUnread);
        if (threads_[index] == kUnread) threads_[index] = s_.desktop.WindowThreadProcessId(list_.Windows[index], nullptr);
        return static_cast<std::uint32_t>(threads_[index]);
    }

    // Probes candidates [from, end) in order; the first that answers gives the status.
    std::optional<ImeStatus> ProbeFrom(std::size_t from) {
        for (std::size_t i = from; i < list_.Windows.size(); ++i) {
            if (auto status = Probe(i)) return status;
        }
        return std::nullopt;
    }

    // The first fresh entry of the recent-status table among the candidates.
    std::optional<ImeStatus> Recent() {
        for (std::size_t i = 0; i < list_.Windows.size(); ++i) {
            auto it = state_.RecentStatus.find(StatusKey::For(ThreadOf(i), list_.Windows[i]));
            if (it == state_.RecentStatus.end()) continue;
            if (!AtMostAgo(now_, it->second.written, kRecentFresh)) continue;
            const RecentStatusEntry& e = it->second;
            return ImeStatus{e.Conversion, e.Language, StatusSource::Recent, e.Open};
        }
        return std::nullopt;
    }

private:
    static constexpr std::uint64_t kUnread = ~std::uint64_t{0};

    std::optional<ImeStatus> Probe(std::size_t index) {
        Desktop& d = s_.desktop;
        const WindowId w = list_.Windows[index];
        const std::uint32_t thread = ThreadOf(index);

        const WindowId imeWindow = s_.ime.DefaultImeWindow(w);
        if (imeWindow != kNoWindow && asked_.insert(imeWindow).second && d.IsWindow(imeWindow)) {
            if (auto answer = ProbeImeWindow(s_.ime, imeWindow)) {
                Remember(ProbeMethod::ImeWindow, w, thread, imeWindow);
                return Record(state_, d, now_, thread, w, *answer);
            }
        }

        if (w == kNoWindow || !d.IsWindow(w)) return std::nullopt;
        InputContextOwner context(s_.ime, w);
        if (!context) return std::nullopt;
        const ProbeAnswer answer = ProbeContext(s_.ime, context.Get());
        context.Reset();
        Remember(ProbeMethod::InputContext, w, thread, kNoWindow);
        return Record(state_, d, now_, thread, w, answer);
    }

    void Remember(ProbeMethod method, WindowId source, std::uint32_t thread, WindowId imeWindow) {
        state_.LastMethod = method;
        state_.LastSourceWindow = source;
        state_.LastSourceThread = thread;
        state_.LastImeWindow = imeWindow;
        state_.LastFocusKey = key_;
    }

    ImeQueryState& state_;
    const ImeQueryServices& s_;
    MonoTime now_;
    FocusKey key_;
    CandidateList list_;
    std::vector<std::uint64_t> threads_;
    std::unordered_set<WindowId> asked_;
};

ImeStatus FromLayout(std::uint16_t langId) {
    if (langId == 0) return ImeStatus{};
    const std::uint16_t primary = PrimaryLanguage(langId);
    if (primary == kChinese || primary == kJapanese || primary == kKorean) {
        // An IME language whose IME could not be read: the mode is unknown.
        return ImeStatus{0, langId, StatusSource::Unavailable, false};
    }
    return ImeStatus{0, langId, StatusSource::Live, false};
}

}  // namespace

ImeStatus QueryImeStatus(ImeQueryState& state, const FocusSnapshot& focus, WindowId uiaFocusWindow,
                         std::uint32_t uiaFocusProcessId, const ImeQueryServices& services, bool windowsUnchanged) {
    Desktop& desktop = services.desktop;
    const MonoTime now = services.clock.Now();
    Purge(state, now);

    const FocusKey key = MakeFocusKey(focus, uiaFocusWindow, uiaFocusProcessId);
    if (state.LastMethod != ProbeMethod::NoMethod && state.LastFocusKey == key) {
        if (auto status = FastPath(state, services, now, windowsUnchanged)) return *status;
    }
    // The remembered source failed or belongs to another focus; whatever the
    // full search finds replaces it.
    state.LastMethod = ProbeMethod::NoMethod;

    WindowId primary = kNoWindow;
    for (WindowId w : {uiaFocusWindow, focus.focus, focus.caret, focus.active, focus.foreground}) {
        if (w != kNoWindow) {
            primary = w;
            break;
        }
    }

    Search search(state, services, now, key);
    for (WindowId w : {focus.focus, focus.caret, focus.active, focus.foreground, uiaFocusWindow}) search.AddChain(w);

    // The snapshot read the foreground's process already; each read is a
    // round trip to the window manager.
    std::uint32_t foregroundProcessId = focus.processId;
    if (foregroundProcessId == 0 && focus.foreground != kNoWindow)
        desktop.WindowThreadProcessId(focus.foreground, &foregroundProcessId);

    CandidateList& list = search.List();
    if (uiaFocusProcessId != 0 && list.Windows.size() < kMaxProcessWindows) {
        AddProcessWindows(list, desktop, uiaFocusProcessId);
    }

    if (list.Windows.empty()) return ImeStatus{};
    if (primary == kNoWindow) primary = list.Windows.front();

    if (auto status = search.ProbeFrom(0)) return *status;

    // Host windows extend the same pass: an IME window that just failed to
    // answer for the focused control is not asked again.
    const std::size_t before = list.Windows.size();
    if (services.processes) {
        const bool uiaFocusKnown = uiaFocusProcessId != 0 || uiaFocusWindow != kNoWindow;
        DiscoverImeHosts(state, list, desktop, *services.processes, foregroundProcessId, uiaFocusProcessId,
                         uiaFocusKnown, now);
    }
    if (list.Windows.size() > before) {
        if (auto status = search.ProbeFrom(before)) return *status;
    }

    std::uint32_t layoutThread =
        primary == list.Windows.front() ? search.ThreadOf(0) : desktop.WindowThreadProcessId(primary, nullptr);
    if (layoutThread == 0) {
        for (std::size_t i = 0; i < list.Windows.size() && layoutThread == 0; ++i) layoutThread = search.ThreadOf(i);
    }
    const std::uint16_t langId = LanguageOfThread(desktop, layoutThread);

    if (auto status = search.Recent()) return *status;
    return FromLayout(langId);
}

}  // namespace tessel
