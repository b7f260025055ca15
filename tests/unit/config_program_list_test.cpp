#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

#include "config/program_list.h"
#include "config/settings_format.h"

namespace tessel {
namespace {

using Names = std::vector<std::string>;

std::string Repeat(std::string_view piece, std::size_t n) {
    std::string s;
    for (std::size_t i = 0; i < n; ++i) s.append(piece);
    return s;
}

TEST(ConfigProgramList, ParseKeepsTrimmedDistinctNamesWithinTheLimits) {
    const std::string hangul64 = Repeat("\xED\x95\x9C", 64);  // 64 characters, 192 bytes
    Names many;
    std::string manyText;
    for (int i = 0; i < 40; ++i) {
        std::string name(1, 'p');
        name.append(std::to_string(i)).append(".exe");
        manyText.append(name).push_back(';');
        if (i < 32) many.push_back(name);
    }
    const struct {
        const char* name;
        std::string text;
        Names expected;
    } cases[] = {
        {"only separators and blanks", " ; ;\t;", {}},
        {"trimmed, Unicode blanks too", " mstsc.exe ;\xE3\x80\x80game.exe\xC2\xA0", {"mstsc.exe", "game.exe"}},
        {"ASCII case repeats dropped", "Game.exe;GAME.EXE;game.exe", {"Game.exe"}},
        {"non-ASCII case is not folded", "\xC3\x89.exe;\xC3\xA9.exe", {"\xC3\x89.exe", "\xC3\xA9.exe"}},
        {"64 characters kept, counted as characters", hangul64, {hangul64}},
        {"65 characters dropped whole", Repeat("a", 65) + ";b.exe", {"b.exe"}},
        {"a line break in a name drops it", "a.exe\r\nPlaySounds=1;b.exe", {"b.exe"}},
        {"at most 32 names", manyText, many},
        {"repeats do not use up the 32", Repeat("x.exe;", 40) + "y.exe", {"x.exe", "y.exe"}},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseProgramList(c.text), c.expected) << c.name;
}

TEST(ConfigProgramList, ANameFromElsewhereCannotAddLinesToTheFile) {
    Settings s;
    s.ExcludedPrograms = {"a.exe\r\nPlaySounds=1", "b.exe;c.exe"};
    const std::string text = FormatSettingsFile(s);
    EXPECT_NE(text.find("ExcludedPrograms=b.exe;c.exe\r\n"), std::string::npos) << text;
    const Settings read = ParseSettings(text);
    EXPECT_FALSE(read.PlaySounds);
    EXPECT_EQ(read.ExcludedPrograms, (Names{"b.exe", "c.exe"}));
}

TEST(ConfigProgramList, ExcludedIgnoresAsciiCaseOnly) {
    const Names names = {"mstsc.exe", "\xC3\xA9" "diteur.exe", "\xEA\xB2\x8C\xEC\x9E\x84.exe"};
    const struct {
        std::u16string image;
        bool excluded;
    } cases[] = {
        {u"MSTSC.EXE", true}, {u"\u00E9DITEUR.exe", true}, {u"\u00C9diteur.exe", false},
        {u"\uAC8C\uC784.EXE", true}, {u"xmstsc.exe", false}, {u"mstsc.exe ", false}, {u"mstsc", false},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(IsExcludedProgram(names, cases[i].image), cases[i].excluded) << "case " << i;
}

}  // namespace
}  // namespace tessel
