#include <gtest/gtest.h>

#include "common/saturate.h"
#include "common/text.h"
#include "common/time.h"

namespace tessel {
namespace {

TEST(Utf8Sanitize, ReplacesEachMaximalInvalidSubpart) {
    EXPECT_EQ(SanitizeUtf8("abc"), "abc");
    EXPECT_EQ(SanitizeUtf8("\xFF"), "\xEF\xBF\xBD");
    // Truncated three-byte sequence followed by ASCII: one replacement, then the letter.
    EXPECT_EQ(SanitizeUtf8("\xE2\x82" "a"), "\xEF\xBF\xBD" "a");
    // Encoded surrogate and overlong forms are invalid.
    EXPECT_EQ(SanitizeUtf8("\xED\xA0\x80"), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(SanitizeUtf8("\xC0\xAF"), "\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(SanitizeUtf8("\xF0\x9F\x98\x80"), "\xF0\x9F\x98\x80");
    EXPECT_EQ(SanitizeUtf8("\xF4\x90\x80\x80"), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(Utf16Conversion, RoundTripsAndReplacesLoneSurrogates) {
    const std::string korean = "\xED\x95\x9C\xEA\xB8\x80";  // 한글
    EXPECT_EQ(Utf8ToUtf16(korean), u"\uD55C\uAE00");
    EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(korean)), korean);
    EXPECT_EQ(Utf8ToUtf16("\xF0\x9F\x98\x80"), std::u16string(u"\xD83D\xDE00"));
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, u'\xD800')), "\xEF\xBF\xBD");
    EXPECT_EQ(Utf16ToUtf8(std::u16string{u'\xDC00', u'a'}), "\xEF\xBF\xBD" "a");
    EXPECT_EQ(Utf16ToUtf8(std::u16string{u'\xD800', u'\xD800', u'\xDC00'}), "\xEF\xBF\xBD\xF0\x90\x80\x80");
}

TEST(Utf16Conversion, BytesInBothByteOrdersIgnoringOddTail) {
    EXPECT_EQ(BytesToUtf16(std::string("a\0b\0c", 5), false), u"ab");
    EXPECT_EQ(BytesToUtf16(std::string("\0a\0b", 4), true), u"ab");
}

TEST(AsciiCase, FoldsOnlyAsciiLetters) {
    EXPECT_EQ(AsciiLowerCopy("PlaySounds[Z]@\xC3\x89"), "playsounds[z]@\xC3\x89");
    EXPECT_TRUE(EqualsIgnoreAsciiCase("Tessel.MainWindow", "TESSEL.mainwindow"));
    EXPECT_FALSE(EqualsIgnoreAsciiCase("abc", "abd"));
    EXPECT_FALSE(EqualsIgnoreAsciiCase("abc", "ab"));
    EXPECT_TRUE(EqualsIgnoreAsciiCase(std::u16string_view(u"Edit"), std::u16string_view(u"EDIT")));
    EXPECT_FALSE(EqualsIgnoreAsciiCase(std::u16string_view(u"\u00C9"), std::u16string_view(u"\u00E9")));
}

TEST(WhiteSpaceTrim, TrimsUnicodeWhiteSpaceOnly) {
    EXPECT_EQ(TrimWhiteSpace(" \t a b \r\n"), "a b");
    EXPECT_EQ(TrimWhiteSpace("\xE3\x80\x80x\xC2\xA0"), "x");          // U+3000, U+00A0
    EXPECT_EQ(TrimWhiteSpace("\xE2\x80\x8Ax\xE2\x80\xAF"), "x");       // U+200A, U+202F
    EXPECT_EQ(TrimWhiteSpace("\xE2\x80\x8Bx"), "\xE2\x80\x8Bx");       // U+200B is not white space
    EXPECT_EQ(TrimWhiteSpace("\xEF\xBB\xBFx"), "\xEF\xBB\xBFx");       // nor is U+FEFF
    EXPECT_EQ(TrimWhiteSpace("   "), "");
    EXPECT_TRUE(IsUnicodeWhiteSpace(0x85));
    EXPECT_TRUE(IsUnicodeWhiteSpace(0x1680));
    EXPECT_FALSE(IsUnicodeWhiteSpace(0x180E));
}

TEST(Saturation, CoordinatesNeverWrap) {
    EXPECT_EQ(SatAdd(2147483647, 1), 2147483647);
    EXPECT_EQ(SatSub(-2147483647 - 1, 1), -2147483647 - 1);
    EXPECT_EQ(SatAdd(-5, 3), -2);
    EXPECT_EQ(SatMul(65536, 65536), 2147483647);
}

TEST(Rounding, HalfAwayFromZeroClampedNaNIsZero) {
    EXPECT_EQ(RoundToI32(2.5), 3);
    EXPECT_EQ(RoundToI32(-2.5), -3);
    EXPECT_EQ(RoundToI32(2.4999), 2);
    EXPECT_EQ(RoundToI32(1e300), 2147483647);
    EXPECT_EQ(RoundToI32(-1e300), -2147483647 - 1);
    EXPECT_EQ(RoundToI32(std::nan("")), 0);
}

TEST(MonotonicTime, BackwardsClockGivesNoElapsedTime) {
    MonoTime t{Ms(1000)};
    EXPECT_EQ(Elapsed(t + Ms(5), t), Ms(5));
    EXPECT_FALSE(Elapsed(t, t + Ms(1)).has_value());
    EXPECT_TRUE(AtMostAgo(t + Ms(250), t, Ms(250)));
    EXPECT_FALSE(AtMostAgo(t + Ms(250) + Duration(1), t, Ms(250)));
    EXPECT_FALSE(AtMostAgo(t, std::nullopt, Ms(250)));
    EXPECT_FALSE(AtMostAgo(t, t + Ms(1), Ms(250)));
    EXPECT_EQ(WholeSecondsSince(t + Ms(2999), t), 2);
    EXPECT_EQ(WholeSecondsSince(t, t + Ms(1)), 0);
}

}  // namespace
}  // namespace tessel
