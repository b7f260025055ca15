#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/text.h"
#include "config/settings_format.h"

namespace tessel {
namespace {

std::string Section(const std::string& body) { return "[Settings]\r\n" + body; }

TEST(ConfigFileWriter, DefaultsGiveTheExactTwelveLines) {
    const std::string expected =
        "[Settings]\r\n"
        "PlayEnglishSound=1\r\n"
        "PlayJapaneseSound=1\r\n"
        "PlayKoreanSound=1\r\n"
        "PlaySounds=0\r\n"
        "IndicatorPosition=Below\r\n"
        "IndicatorTextColor=FFFFFFA5\r\n"
        "EnglishBackgroundColor=FF6262A5\r\n"
        "JapaneseBackgroundColor=62FF62A5\r\n"
        "KoreanBackgroundColor=6262FFA5\r\n"
        "BadgeSeconds=0\r\n"
        "ExcludedPrograms=\r\n";
    EXPECT_EQ(FormatSettingsFile(Settings{}), expected);
    EXPECT_EQ(FormatSettingsFile(Settings{}).size(), 274u);
}

TEST(ConfigFileWriter, EveryFieldRoundTrips) {
    Settings s;
    s.PlayEnglishSound = false;
    s.PlayJapaneseSound = false;
    s.PlayKoreanSound = false;
    s.PlaySounds = true;
    s.IndicatorPosition = IndicatorPosition::Right;
    s.IndicatorTextColor = {1, 2, 3, 4};
    s.EnglishBackgroundColor = {0xAB, 0xCD, 0xEF, 0x01};
    s.JapaneseBackgroundColor = {0, 0, 0, 0};
    s.KoreanBackgroundColor = {0xFF, 0xFF, 0xFF, 0xFF};
    s.BadgeSeconds = 10;
    s.ExcludedPrograms = {"mstsc.exe", "\xEA\xB2\x8C\xEC\x9E\x84.exe"};  // a Hangul name too
    EXPECT_EQ(ParseSettings(FormatSettingsFile(s)), s);
    s.IndicatorPosition = IndicatorPosition::Above;
    EXPECT_EQ(ParseSettings(FormatSettingsFile(s)), s);
}

TEST(ConfigFileGrammar, NoSectionMeansDefaults) {
    EXPECT_EQ(ParseSettings(""), Settings{});
    EXPECT_EQ(ParseSettings("PlaySounds=1\r\nIndicatorPosition=Above\r\n"), Settings{});
    EXPECT_EQ(ParseSettings("[Other]\r\nPlaySounds=1\r\n"), Settings{});
}

TEST(ConfigFileGrammar, SectionHeaderIgnoresCaseAndInnerSpace) {
    EXPECT_TRUE(ParseSettings("[settings]\nPlaySounds=1").PlaySounds);
    EXPECT_TRUE(ParseSettings("[  SETTINGS\t]\nPlaySounds=1").PlaySounds);
    EXPECT_TRUE(ParseSettings("  [Settings]  \nPlaySounds=1").PlaySounds);
    EXPECT_FALSE(ParseSettings("[Settings]x\nPlaySounds=1").PlaySounds);
    EXPECT_FALSE(ParseSettings("[Set tings]\nPlaySounds=1").PlaySounds);
    EXPECT_FALSE(ParseSettings("[]\nPlaySounds=1").PlaySounds);
}

TEST(ConfigFileGrammar, OtherSectionsCloseAndReopen) {
    const Settings s = ParseSettings(
        "PlaySounds=1\n"
        "[Settings]\nPlayKoreanSound=0\n"
        "[Other]\nPlayEnglishSound=0\n"
        "[Settings]\nIndicatorPosition=Above\n");
    EXPECT_FALSE(s.PlaySounds);
    EXPECT_FALSE(s.PlayKoreanSound);
    EXPECT_TRUE(s.PlayEnglishSound);
    EXPECT_EQ(s.IndicatorPosition, IndicatorPosition::Above);
}

TEST(ConfigFileGrammar, KeysFoldCaseAndWhiteSpaceIsTrimmed) {
    EXPECT_TRUE(ParseSettings(Section("  playsounds  =  1  \r\n")).PlaySounds);
    EXPECT_TRUE(ParseSettings(Section("PLAYSOUNDS=1")).PlaySounds);
    // Unicode white space (NBSP, ideographic space) trims like ASCII space.
    EXPECT_TRUE(ParseSettings(Section("\xC2\xA0PlaySounds\xE3\x80\x80=\xE2\x80\x83" "1\xC2\x85")).PlaySounds);
    // Only ASCII letters fold: a Kelvin sign is not a k.
    EXPECT_EQ(ParseSettings(Section("PlayKoreanSound=0")).PlayKoreanSound, false);
    EXPECT_EQ(ParseSettings(Section("Play\xE2\x84\xAAoreanSound=0")).PlayKoreanSound, true);
}

TEST(ConfigFileGrammar, InvalidValuesLeaveTheFieldAlone) {
    for (const char* v : {"true", "2", "", "1 ;comment", "yes"})
        EXPECT_FALSE(ParseSettings(Section(std::string("PlaySounds=") + v)).PlaySounds) << v;
    for (const char* v : {"+1", "0001"}) EXPECT_TRUE(ParseSettings(Section(std::string("PlaySounds=") + v)).PlaySounds);
    EXPECT_FALSE(ParseSettings(Section("PlayEnglishSound=-0")).PlayEnglishSound);
    EXPECT_EQ(ParseSettings(Section("EnglishBackgroundColor=ff6262a6")).EnglishBackgroundColor,
              (Rgba{0xFF, 0x62, 0x62, 0xA6}));
    for (const char* v : {"#FF6262A6", "FF6262", "FF6262A6FF"})
        EXPECT_EQ(ParseSettings(Section(std::string("EnglishBackgroundColor=") + v)), Settings{}) << v;
    EXPECT_EQ(ParseSettings(Section("IndicatorPosition=ABOVE")).IndicatorPosition, IndicatorPosition::Above);
    EXPECT_EQ(ParseSettings(Section("IndicatorPosition=left")).IndicatorPosition, IndicatorPosition::Below);
    EXPECT_EQ(ParseSettings(Section("Unknown=1\nPlaySounds\n=1\n")), Settings{});

    // Badge time: the switch's integer grammar, then only 0, 3, 5 and 10.
    const struct {
        const char* value;
        std::uint8_t seconds;
    } badgeSeconds[] = {{"3", 3}, {"+05", 5}, {"10", 10}, {"7", 0}, {"3 s", 0}, {"4294967299", 0},
                        {"259", 0}, {"-253", 0} /* neither is 3 mod 256 */};
    for (const auto& c : badgeSeconds)
        EXPECT_EQ(ParseSettings(Section(std::string("BadgeSeconds=") + c.value)).BadgeSeconds, c.seconds) << c.value;
    EXPECT_EQ(ParseSettings(Section("badgeseconds=5\nBadgeSeconds=7\n")).BadgeSeconds, 5);
    EXPECT_EQ(ParseSettings(Section("ExcludedPrograms= mstsc.exe ; ;GAME.exe;game.EXE;")).ExcludedPrograms,
              (std::vector<std::string>{"mstsc.exe", "GAME.exe"}));
}

TEST(ConfigFileGrammar, LastValidValueWins) {
    EXPECT_TRUE(ParseSettings(Section("PlaySounds=1\nPlaySounds=maybe\n")).PlaySounds);
    EXPECT_FALSE(ParseSettings(Section("PlaySounds=1\nplaysounds=0\n")).PlaySounds);
}

TEST(ConfigFileGrammar, CommentsOnlyAsWholeLinesAndEqualsStaysInValue) {
    EXPECT_FALSE(ParseSettings(Section("#PlaySounds=1\n;PlaySounds=1\n  ; PlaySounds=1")).PlaySounds);
    // "=" after the first one belongs to the value, which is then not a colour.
    EXPECT_EQ(ParseSettings(Section("IndicatorTextColor==00000000")).IndicatorTextColor, Settings{}.IndicatorTextColor);
    EXPECT_EQ(ParseSettings(Section("IndicatorTextColor=00000000=")).IndicatorTextColor, Settings{}.IndicatorTextColor);
}

TEST(ConfigFileGrammar, LineEnds) {
    const std::string crlf = FormatSettingsFile([] {
        Settings s;
        s.PlaySounds = true;
        s.IndicatorPosition = IndicatorPosition::Right;
        return s;
    }());
    const Settings expected = ParseSettings(crlf);
    ASSERT_TRUE(expected.PlaySounds);
    std::string lf;
    for (char c : crlf)
        if (c != '\r') lf.push_back(c);
    EXPECT_EQ(ParseSettings(lf), expected);
    // CR alone is not a line break: the whole file is one line, not a header.
    std::string cr;
    for (char c : crlf)
        if (c != '\n') cr.push_back(c);
    EXPECT_EQ(ParseSettings(cr), Settings{});
    // A stray CR before CR LF is trimmed as white space; a CR inside a line stays text.
    EXPECT_TRUE(ParseSettings("[Settings]\r\r\nPlaySounds=1\r\r\n").PlaySounds);
    EXPECT_FALSE(ParseSettings("[Settings]\nPlaySounds=1\r1\n").PlaySounds);
    // Last line without a line end still counts.
    EXPECT_TRUE(ParseSettings("[Settings]\nPlaySounds=1").PlaySounds);
}

TEST(ConfigFileGrammar, ByteOrderMarksAndUtf16) {
    const std::string text = "[Settings]\r\nPlaySounds=1\r\nIndicatorPosition=Above\r\n";
    const Settings expected = ParseSettings(text);
    EXPECT_EQ(ParseSettings("\xEF\xBB\xBF" + text), expected);
    // Repeated marks at the start of a line go, also after leading white space.
    EXPECT_EQ(ParseSettings(" \xEF\xBB\xBF\xEF\xBB\xBF" + text), expected);
    // White space after a mark is not trimmed again, so the header is not seen.
    EXPECT_EQ(ParseSettings("\xEF\xBB\xBF [Settings]\nPlaySounds=1"), Settings{});

    std::string le = "\xFF\xFE", be = "\xFE\xFF";
    for (char c : text) {
        le += c;
        le += '\0';
        be += '\0';
        be += c;
    }
    EXPECT_EQ(ParseSettings(le), expected);
    EXPECT_EQ(ParseSettings(be), expected);
    EXPECT_EQ(ParseSettings(le + "x"), expected);  // odd trailing byte ignored
    // A UTF-16 byte-order mark that came through as UTF-16 U+FEFF is also dropped.
    EXPECT_EQ(ParseSettings(std::string("\xFF\xFE\xFF\xFE", 4) + le.substr(2)), expected);
    // Without a mark, UTF-16 text is just odd UTF-8 (NULs in every line): defaults.
    EXPECT_EQ(ParseSettings(le.substr(2)), Settings{});
}

TEST(ConfigFileGrammar, InvalidBytesAreReplacedNotFatal) {
    EXPECT_TRUE(ParseSettings("\xFF\xC0garbage\n[Settings]\nPlaySounds=1\n\xED\xA0\x80=1\n").PlaySounds);
    EXPECT_EQ(DecodeSettingsBytes("a\xFF" "b"), "a\xEF\xBF\xBD" "b");
    // Lone surrogate in UTF-16 becomes U+FFFD.
    EXPECT_EQ(DecodeSettingsBytes(std::string("\xFF\xFE\x00\xD8\x41\x00", 6)), "\xEF\xBF\xBD" "A");
    EXPECT_EQ(DecodeSettingsBytes("\xFF"), "\xEF\xBF\xBD");
}

TEST(ConfigFileGrammar, ArbitraryBytesGiveAValidRecord) {
    // Deterministic pseudo-random byte soup biased towards the grammar's characters.
    static const char kChars[] = "[]=;#\r\n \t\xEF\xBB\xBF\xFF\xFE\x00" "PlaySounds01ABOVEsettings";
    const std::string alphabet(kChars, sizeof kChars - 1);
    std::uint32_t state = 12345;
    for (int round = 0; round < 2000; ++round) {
        std::string bytes;
        const int n = round % 97;
        for (int i = 0; i < n; ++i) {
            state = state * 1103515245u + 12345u;
            bytes.push_back(alphabet[(state >> 16) % alphabet.size()]);
        }
        const Settings s = ParseSettings(bytes);
        EXPECT_LE(static_cast<int>(s.IndicatorPosition), 2);
        EXPECT_EQ(ParseSettings(FormatSettingsFile(s)), s);
    }
}

}  // namespace
}  // namespace tessel
