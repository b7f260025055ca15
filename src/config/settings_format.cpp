#include "config/settings_format.h"

#include "common/text.h"
#include "config/program_list.h"
#include "config/settings_values.h"

namespace tessel {
namespace {

constexpr std::string_view kByteOrderMarkUtf8 = "\xEF\xBB\xBF";  // U+FEFF

bool StartsWith(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && s.substr(0, prefix.size()) == prefix;
}

// Trims white space, then drops every U+FEFF at the start (white space after
// such a mark stays).
std::string_view CleanLine(std::string_view line) {
    line = TrimWhiteSpace(line);
    while (StartsWith(line, kByteOrderMarkUtf8)) line.remove_prefix(kByteOrderMarkUtf8.size());
    return line;
}

void ApplyKey(Settings& s, std::string_view foldedKey, std::string_view value) {
    const auto setSwitch = [&](bool& field) {
        if (auto v = ParseSwitch(value)) field = *v;
    };
    const auto setColour = [&](Rgba& field) {
        if (auto v = ParseRgba(value)) field = *v;
    };
    if (foldedKey == "playenglishsound") {
        setSwitch(s.PlayEnglishSound);
    } else if (foldedKey == "playjapanesesound") {
        setSwitch(s.PlayJapaneseSound);
    } else if (foldedKey == "playkoreansound") {
        setSwitch(s.PlayKoreanSound);
    } else if (foldedKey == "playsounds") {
        setSwitch(s.PlaySounds);
    } else if (foldedKey == "indicatorposition") {
        if (auto v = ParseIndicatorPosition(value)) s.IndicatorPosition = *v;
    } else if (foldedKey == "indicatortextcolor") {
        setColour(s.IndicatorTextColor);
    } else if (foldedKey == "englishbackgroundcolor") {
        setColour(s.EnglishBackgroundColor);
    } else if (foldedKey == "japanesebackgroundcolor") {
        setColour(s.JapaneseBackgroundColor);
    } else if (foldedKey == "koreanbackgroundcolor") {
        setColour(s.KoreanBackgroundColor);
    } else if (foldedKey == "badgeseconds") {
        if (auto v = ParseBadgeSeconds(value)) s.BadgeSeconds = *v;
    } else if (foldedKey == "excludedprograms") {
        // Any text is a list; what does not fit its rules is left out.
        s.ExcludedPrograms = ParseProgramList(value);
    }
}

}  // namespace

std::string DecodeSettingsBytes(std::string_view bytes) {
    if (bytes.size() >= 2) {
        const auto b0 = static_cast<unsigned char>(bytes[0]);
        const auto b1 = static_cast<unsigned char>(bytes[1]);
        if (b0 == 0xFF && b1 == 0xFE) return Utf16ToUtf8(BytesToUtf16(bytes.substr(2), false));
        if (b0 == 0xFE && b1 == 0xFF) return Utf16ToUtf8(BytesToUtf16(bytes.substr(2), true));
    }
    // A UTF-8 byte-order mark is left in place; the line rule removes it.
    return SanitizeUtf8(bytes);
}

Settings ParseSettings(std::string_view bytes) {
    Settings settings;
    const std::string text = DecodeSettingsBytes(bytes);
    const std::string_view all(text);
    bool inSection = false;
    std::size_t start = 0;
    while (start < all.size()) {
        std::size_t lf = all.find('\n', start);
        std::string_view line;
        if (lf == std::string_view::npos) {
            line = all.substr(start);
            start = all.size();
        } else {
            line = all.substr(start, lf - start);
            start = lf + 1;
            // Only a CR right before the LF is part of the line break.
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        }

        line = CleanLine(line);
        if (line.empty() || line.front() == '#' || line.front() == ';') continue;
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            const std::string_view name = TrimWhiteSpace(line.substr(1, line.size() - 2));
            inSection = EqualsIgnoreAsciiCase(name, "settings");
            continue;
        }
        if (!inSection) continue;
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        const std::string key = AsciiLowerCopy(TrimWhiteSpace(line.substr(0, eq)));
        const std::string_view value = TrimWhiteSpace(line.substr(eq + 1));
        ApplyKey(settings, key, value);
    }
    return settings;
}

std::string FormatSettingsFile(const Settings& s) {
    const auto sw = [](bool on) { return on ? "1" : "0"; };
    std::string out;
    out.reserve(512);
    const auto line = [&](std::string_view key, std::string_view value) {
        out.append(key);
        out.push_back('=');
        out.append(value);
        out.append("\r\n");
    };
    out.append("[Settings]\r\n");
    line("PlayEnglishSound", sw(s.PlayEnglishSound));
    line("PlayJapaneseSound", sw(s.PlayJapaneseSound));
    line("PlayKoreanSound", sw(s.PlayKoreanSound));
    line("PlaySounds", sw(s.PlaySounds));
    line("IndicatorPosition", FormatIndicatorPosition(s.IndicatorPosition));
    line("IndicatorTextColor", FormatRgba(s.IndicatorTextColor));
    line("EnglishBackgroundColor", FormatRgba(s.EnglishBackgroundColor));
    line("JapaneseBackgroundColor", FormatRgba(s.JapaneseBackgroundColor));
    line("KoreanBackgroundColor", FormatRgba(s.KoreanBackgroundColor));
    // Only what reads back as written: a value the file cannot hold would
    // read as the default anyway, and a stray ";" or line break in a name
    // must not turn into other names or other lines.
    line("BadgeSeconds", std::to_string(IsValidBadgeSeconds(s.BadgeSeconds) ? s.BadgeSeconds : 0));
    line("ExcludedPrograms", JoinProgramList(ParseProgramList(JoinProgramList(s.ExcludedPrograms))));
    return out;
}

}  // namespace tessel
