// Any bytes must parse to a valid record, and the written form of any record
// must read back as the same record.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "config/program_list.h"
#include "config/settings_format.h"
#include "config/settings_values.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

tessel::Settings FromBytes(const std::uint8_t* data, std::size_t size) {
    tessel::Settings s;
    auto byte = [&](std::size_t i) -> std::uint8_t { return i < size ? data[i] : 0; };
    s.PlayEnglishSound = byte(0) & 1;
    s.PlayJapaneseSound = byte(0) & 2;
    s.PlayKoreanSound = byte(0) & 4;
    s.PlaySounds = byte(0) & 8;
    s.IndicatorPosition = static_cast<tessel::IndicatorPosition>(byte(1) % 3);
    tessel::Rgba* colours[] = {&s.IndicatorTextColor, &s.EnglishBackgroundColor, &s.JapaneseBackgroundColor,
                               &s.KoreanBackgroundColor};
    std::size_t i = 2;
    for (tessel::Rgba* c : colours) *c = {byte(i++), byte(i++), byte(i++), byte(i++)};
    constexpr std::uint8_t kSeconds[] = {0, 3, 5, 10};
    s.BadgeSeconds = kSeconds[byte(i++) % 4];
    if (i < size) s.ExcludedPrograms = tessel::ParseProgramList({reinterpret_cast<const char*>(data) + i, size - i});
    return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    const tessel::Settings parsed = tessel::ParseSettings(bytes);
    Check(static_cast<unsigned>(parsed.IndicatorPosition) <= 2);
    Check(tessel::ParseSettings(tessel::FormatSettingsFile(parsed)) == parsed);

    const tessel::Settings built = FromBytes(data, size);
    const std::string text = tessel::FormatSettingsFile(built);
    Check(tessel::ParseSettings(text) == built);

    // The single-value parsers on raw input.
    if (auto c = tessel::ParseRgba(bytes)) Check(tessel::ParseRgba(tessel::FormatRgba(*c)) == c);
    if (auto p = tessel::ParseIndicatorPosition(bytes))
        Check(tessel::ParseIndicatorPosition(tessel::FormatIndicatorPosition(*p)) == p);
    (void)tessel::ParseSwitch(bytes);
    const std::vector<std::string> names = tessel::ParseProgramList(bytes);
    Check(names.size() <= tessel::kMaxExcludedPrograms);
    Check(tessel::ParseProgramList(tessel::JoinProgramList(names)) == names);
    return 0;
}
