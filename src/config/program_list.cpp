#include "config/program_list.h"

#include "common/text.h"

namespace tessel {
namespace {

// Characters of a valid UTF-8 name, or npos once it is longer than `limit`.
std::size_t CountCharactersUpTo(std::string_view utf8, std::size_t limit) {
    std::size_t count = 0;
    for (std::size_t pos = 0; pos < utf8.size(); DecodeUtf8At(utf8, pos)) {
        if (++count > limit) return std::string_view::npos;
    }
    return count;
}

// No file name holds a control character; one in a name would also break the
// settings file's line.
bool HasControlCharacter(std::string_view name) {
    for (char c : name)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return true;
    return false;
}

}  // namespace

std::vector<std::string> ParseProgramList(std::string_view text) {
    const std::string clean = SanitizeUtf8(text);
    const std::string_view all(clean);
    std::vector<std::string> names;
    std::size_t start = 0;
    while (start <= all.size() && names.size() < kMaxExcludedPrograms) {
        std::size_t end = all.find(';', start);
        if (end == std::string_view::npos) end = all.size();
        const std::string_view name = TrimWhiteSpace(all.substr(start, end - start));
        start = end + 1;
        if (name.empty() || HasControlCharacter(name)) continue;
        // Too long a name is dropped whole: a cut one would name another program.
        if (CountCharactersUpTo(name, kMaxExcludedProgramLength) == std::string_view::npos) continue;
        bool repeated = false;
        for (const std::string& earlier : names) repeated = repeated || EqualsIgnoreAsciiCase(earlier, name);
        if (!repeated) names.emplace_back(name);
    }
    return names;
}

std::string JoinProgramList(const std::vector<std::string>& names) {
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) text.push_back(';');
        text.append(names[i]);
    }
    return text;
}

bool IsExcludedProgram(const std::vector<std::string>& names, std::u16string_view imageFileName) {
    if (imageFileName.empty()) return false;
    for (const std::string& name : names)
        if (EqualsIgnoreAsciiCase(Utf8ToUtf16(name), imageFileName)) return true;
    return false;
}

}  // namespace tessel
