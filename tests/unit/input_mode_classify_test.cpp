#include <gtest/gtest.h>

#include <optional>

#include "input_mode/classify_input_mode.h"

namespace tessel {
namespace {

constexpr std::uint16_t kJapanese = 0x0411;
constexpr std::uint16_t kKorean = 0x0412;
constexpr std::uint16_t kChineseSimplified = 0x0804;
constexpr std::uint16_t kChineseTraditional = 0x0404;
constexpr std::uint16_t kEnglishUs = 0x0409;
constexpr std::uint16_t kVietnamese = 0x042A;

ImeStatus Open(std::uint16_t language, std::uint32_t conversion) {
    return ImeStatus{conversion, language, StatusSource::Live, true};
}

// The kana modes for the exact Japanese conversion values; nothing otherwise.
std::optional<InputMode> ExpectedKana(std::uint32_t conversion) {
    switch (conversion) {
        case 0x03: case 0x0B: case 0x13: case 0x1B: return InputMode::Katakana;
        case 0x09: case 0x19: return InputMode::Hiragana;
        default: return std::nullopt;
    }
}

TEST(ClassifyInputMode, UnavailableHasNoModeWhateverItCarries) {
    EXPECT_EQ(ClassifyInputMode(ImeStatus{}), std::nullopt);
    EXPECT_EQ(ClassifyInputMode(ImeStatus{0x09, kJapanese, StatusSource::Unavailable, true}), std::nullopt);
    EXPECT_EQ(ClassifyInputMode(ImeStatus{0, kKorean, StatusSource::Unavailable, false}), std::nullopt);
}

TEST(ClassifyInputMode, ClosedImeIsEnglishInEveryLanguage) {
    for (std::uint16_t lang : {kJapanese, kKorean, kChineseSimplified, kEnglishUs, std::uint16_t{0}}) {
        for (StatusSource source : {StatusSource::Live, StatusSource::Recent}) {
            EXPECT_EQ(ClassifyInputMode(ImeStatus{0x09, lang, source, false}), InputMode::English) << lang;
        }
    }
}

TEST(ClassifyInputMode, JapaneseKanaOnlyForTheSixExactValues) {
    // Every value of the low six bits, then the same values with a further bit set.
    for (std::uint32_t conversion = 0; conversion < 0x40; ++conversion) {
        const InputMode expected = ExpectedKana(conversion).value_or(InputMode::English);
        EXPECT_EQ(ClassifyInputMode(Open(kJapanese, conversion)), expected) << std::hex << conversion;
        for (std::uint32_t extra : {0x20u, 0x40u, 0x100u, 0x800u, 0x80000000u}) {
            if (conversion & extra) continue;
            EXPECT_EQ(ClassifyInputMode(Open(kJapanese, conversion | extra)), InputMode::English)
                << std::hex << (conversion | extra);
        }
    }
    // Only the primary language counts, not the sublanguage.
    EXPECT_EQ(ClassifyInputMode(Open(0x0811, 0x09)), InputMode::Hiragana);
    // Full-width alphanumeric and plain native are Latin input for Japanese.
    EXPECT_EQ(ClassifyInputMode(Open(kJapanese, 0x08)), InputMode::English);
    EXPECT_EQ(ClassifyInputMode(Open(kJapanese, 0x01)), InputMode::English);
    EXPECT_EQ(ClassifyInputMode(ImeStatus{0x1B, kJapanese, StatusSource::Recent, true}), InputMode::Katakana);
}

TEST(ClassifyInputMode, KoreanFollowsTheNativeBitOnly) {
    EXPECT_EQ(ClassifyInputMode(Open(kKorean, 0x00)), InputMode::English);
    EXPECT_EQ(ClassifyInputMode(Open(kKorean, 0x01)), InputMode::Korean);
    EXPECT_EQ(ClassifyInputMode(Open(kKorean, 0x09)), InputMode::Korean);  // no kana for Korean
    EXPECT_EQ(ClassifyInputMode(Open(kKorean, 0x0B)), InputMode::Korean);
    EXPECT_EQ(ClassifyInputMode(Open(kKorean, 0x08)), InputMode::English);
    EXPECT_EQ(ClassifyInputMode(Open(kKorean, 0x401)), InputMode::Korean);
}

TEST(ClassifyInputMode, OpenChineseImeIsChineseWhateverTheConversion) {
    for (std::uint32_t conversion : {0x0u, 0x1u, 0x9u, 0x1Bu}) {
        EXPECT_EQ(ClassifyInputMode(Open(kChineseSimplified, conversion)), InputMode::Chinese);
        EXPECT_EQ(ClassifyInputMode(Open(kChineseTraditional, conversion)), InputMode::Chinese);
    }
}

TEST(ClassifyInputMode, OtherLanguagesUseKanaValuesThenTheNativeBit) {
    for (std::uint16_t lang : {kEnglishUs, kVietnamese, std::uint16_t{0}}) {
        EXPECT_EQ(ClassifyInputMode(Open(lang, 0x09)), InputMode::Hiragana) << lang;
        EXPECT_EQ(ClassifyInputMode(Open(lang, 0x13)), InputMode::Katakana) << lang;
        EXPECT_EQ(ClassifyInputMode(Open(lang, 0x01)), InputMode::Korean) << lang;
        EXPECT_EQ(ClassifyInputMode(Open(lang, 0x21)), InputMode::Korean) << lang;  // native bit plus an extra
        EXPECT_EQ(ClassifyInputMode(Open(lang, 0x00)), InputMode::English) << lang;
        EXPECT_EQ(ClassifyInputMode(Open(lang, 0x08)), InputMode::English) << lang;
    }
}

TEST(ApplyTaskbarOverride, KoreanStatusTakesTheIndicatorReading) {
    ImeStatus status{0x1, kKorean, StatusSource::Live, true};
    ApplyTaskbarOverride(status, 0);
    EXPECT_EQ(status, (ImeStatus{0, kKorean, StatusSource::Live, false}));
    EXPECT_EQ(ClassifyInputMode(status), InputMode::English);

    ApplyTaskbarOverride(status, 1);
    EXPECT_EQ(status, (ImeStatus{1, kKorean, StatusSource::Live, true}));
    EXPECT_EQ(ClassifyInputMode(status), InputMode::Korean);

    ImeStatus recent{0x0, 0x0812, StatusSource::Recent, false};  // another Korean sublanguage
    ApplyTaskbarOverride(recent, 1);
    EXPECT_EQ(recent, (ImeStatus{1, 0x0812, StatusSource::Recent, true}));
}

TEST(ApplyTaskbarOverride, LeavesOtherStatusesAndNoReadingAlone) {
    const ImeStatus korean{0x1, kKorean, StatusSource::Live, true};
    ImeStatus s = korean;
    ApplyTaskbarOverride(s, 2);
    EXPECT_EQ(s, korean);
    ApplyTaskbarOverride(s, 7);
    EXPECT_EQ(s, korean);

    const ImeStatus japanese{0x9, kJapanese, StatusSource::Live, true};
    s = japanese;
    ApplyTaskbarOverride(s, 0);
    EXPECT_EQ(s, japanese);

    const ImeStatus english{0, kEnglishUs, StatusSource::Live, false};
    s = english;
    ApplyTaskbarOverride(s, 1);
    EXPECT_EQ(s, english);

    // An unavailable Korean status stays unavailable.
    ImeStatus unavailable{0, kKorean, StatusSource::Unavailable, false};
    ApplyTaskbarOverride(unavailable, 1);
    EXPECT_EQ(unavailable.Source, StatusSource::Unavailable);
    EXPECT_EQ(ClassifyInputMode(unavailable), std::nullopt);
}

}  // namespace
}  // namespace tessel
