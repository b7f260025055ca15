// Cost of reading the settings file at start-up.
#include <benchmark/benchmark.h>

#include <string>

#include "config/settings_format.h"

namespace {

std::string TypicalFile() { return tessel::FormatSettingsFile(tessel::Settings{}); }

// A hand-edited file grown large: comments, other sections, odd spacing,
// invalid values, repeated keys, a byte-order mark and stray invalid bytes.
std::string MessyFile(std::size_t targetBytes) {
    std::string s = "\xEF\xBB\xBF; Tessel settings\r\n";
    int round = 0;
    while (s.size() < targetBytes) {
        s += "[Other Section]\r\nPlaySounds=1\r\n# a comment line that is fairly long, with = signs = here\r\n";
        s += "  [ settings ]  \n";
        s += "\tplaysounds =  " + std::to_string(round % 3) + "  \r\n";
        s += "IndicatorPosition = " + std::string(round % 2 ? "ABOVE" : "left") + "\r\n";
        s += "EnglishBackgroundColor=ff6262a5\r\nKoreanBackgroundColor=#123456\r\n";
        s += "UnknownKey=\xFF\xFE garbage \xC3\x28\r\n";
        s += "\xE3\x80\x80JapaneseBackgroundColor\xE3\x80\x80=\xC2\xA0" "62FF62A5\r\n";
        s += "no equals sign here at all\r\n\r\n";
        ++round;
    }
    return s;
}

void BM_ParseTypicalSettingsFile(benchmark::State& state) {
    const std::string bytes = TypicalFile();
    for (auto _ : state) benchmark::DoNotOptimize(tessel::ParseSettings(bytes));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_ParseTypicalSettingsFile);

void BM_ParseTypicalSettingsFileUtf16(benchmark::State& state) {
    const std::string text = TypicalFile();
    std::string bytes = "\xFF\xFE";
    for (char c : text) {
        bytes += c;
        bytes += '\0';
    }
    for (auto _ : state) benchmark::DoNotOptimize(tessel::ParseSettings(bytes));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_ParseTypicalSettingsFileUtf16);

void BM_ParseMessySettingsFile(benchmark::State& state) {
    const std::string bytes = MessyFile(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(tessel::ParseSettings(bytes));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_ParseMessySettingsFile)->Arg(4 << 10)->Arg(1 << 20);

void BM_FormatSettingsFile(benchmark::State& state) {
    const tessel::Settings s;
    for (auto _ : state) benchmark::DoNotOptimize(tessel::FormatSettingsFile(s));
}
BENCHMARK(BM_FormatSettingsFile);

}  // namespace
