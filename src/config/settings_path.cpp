#include "config/settings_path.h"

namespace tessel {
namespace {

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsAnySeparator(char c) { return c == '\\' || c == '/'; }

struct Prefix {
    std::size_t length = 0;
    bool verbatim = false;  // only '\' separates after it
    bool drive = false;     // "C:" (not verbatim)
};

// Length up to (not including) the next separator, from `pos`.
std::size_t ComponentEnd(std::string_view path, std::size_t pos, bool verbatim) {
    while (pos < path.size() && !(path[pos] == '\\' || (!verbatim && path[pos] == '/'))) ++pos;
    return pos;
}

Prefix ParsePrefix(std::string_view path) {
    Prefix p;
    if (path.size() >= 2 && IsAnySeparator(path[0]) && IsAnySeparator(path[1])) {
        // "\\?\" must be written with back slashes to be verbatim.
        if (path.substr(0, 4) == "\\\\?\\") {
            p.verbatim = true;
            const std::string_view rest = path.substr(4);
            if (rest.substr(0, 4) == "UNC\\") {
                std::size_t server = ComponentEnd(path, 8, true);
                std::size_t end = server;
                if (server < path.size()) end = ComponentEnd(path, server + 1, true);
                p.length = end;
            } else if (rest.size() >= 2 && IsAsciiLetter(rest[0]) && rest[1] == ':' &&
                       (rest.size() == 2 || rest[2] == '\\')) {
                p.length = 6;
            } else {
                p.length = ComponentEnd(path, 4, true);
            }
            return p;
        }
        if (path.size() >= 4 && path[2] == '.' && IsAnySeparator(path[3])) {
            p.length = ComponentEnd(path, 4, false);
            return p;
        }
        const std::size_t serverEnd = ComponentEnd(path, 2, false);
        if (serverEnd > 2 && serverEnd < path.size()) {
            const std::size_t shareEnd = ComponentEnd(path, serverEnd + 1, false);
            if (shareEnd > serverEnd + 1) p.length = shareEnd;
        }
        return p;
    }
    if (path.size() >= 2 && IsAsciiLetter(path[0]) && path[1] == ':') {
        p.length = 2;
        p.drive = true;
    }
    return p;
}

}  // namespace

std::optional<std::string> WindowsParentPath(std::string_view path) {
    const Prefix prefix = ParsePrefix(path);
    const auto isSep = [&](char c) { return c == '\\' || (!prefix.verbatim && c == '/'); };

    // Everything before `bodyStart` (prefix, root separator, a leading ".")
    // is never removed.
    std::size_t bodyStart = prefix.length;
    const bool hasRoot = bodyStart < path.size() && isSep(path[bodyStart]);
    bool leadingCurDir = false;
    if (hasRoot) {
        ++bodyStart;
    } else if (bodyStart < path.size() && path[bodyStart] == '.' &&
               (bodyStart + 1 == path.size() || isSep(path[bodyStart + 1]))) {
        leadingCurDir = true;
        ++bodyStart;
    }

    // The last real component: not empty and, outside verbatim paths, not ".".
    const auto isSkipped = [&](std::string_view comp) {
        return comp.empty() || (!prefix.verbatim && comp == ".");
    };
    std::size_t end = path.size();
    std::size_t lastStart = std::string_view::npos;
    while (end > bodyStart) {
        std::size_t begin = end;
        while (begin > bodyStart && !isSep(path[begin - 1])) --begin;
        if (!isSkipped(path.substr(begin, end - begin))) {
            lastStart = begin;
            break;
        }
        end = begin > bodyStart ? begin - 1 : bodyStart;
    }
    if (lastStart == std::string_view::npos) {
        // Only a leading "." is left to remove ("." -> "", "C:." -> "C:").
        if (leadingCurDir) return std::string(path.substr(0, prefix.length));
        return std::nullopt;
    }

    // Drop the component, then trailing separators and "." components, but
    // never into the prefix, root or leading ".".
    std::size_t cut = lastStart;
    while (cut > bodyStart) {
        if (isSep(path[cut - 1])) {
            --cut;
            continue;
        }
        std::size_t begin = cut;
        while (begin > bodyStart && !isSep(path[begin - 1])) --begin;
        if (!prefix.verbatim && path.substr(begin, cut - begin) == ".") {
            cut = begin;
            continue;
        }
        break;
    }
    return std::string(path.substr(0, cut));
}

std::string JoinWindowsPath(std::string_view base, std::string_view name) {
    std::string out(base);
    bool needSeparator = !base.empty() && !IsAnySeparator(base.back());
    const Prefix prefix = ParsePrefix(base);
    if (prefix.drive && prefix.length == base.size()) needSeparator = false;
    if (needSeparator) out.push_back('\\');
    out.append(name);
    return out;
}

SettingsPaths ComputeSettingsFilePath(std::optional<std::string> exePath) {
    const std::string exe = exePath ? std::move(*exePath) : std::string("Tessel.exe");
    std::optional<std::string> parent = WindowsParentPath(exe);
    SettingsPaths paths;
    paths.exeDirectory = parent ? std::move(*parent) : std::string(".");
    paths.settingsFilePath = JoinWindowsPath(paths.exeDirectory, "Tessel.ini");
    return paths;
}

}  // namespace tessel
