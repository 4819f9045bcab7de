// Lower-casing and searching code page 936 text: a trail byte may be any byte from 0x40
// up, ASCII letters included, so a byte-wise walk would change or match half a character.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "speech/mbcs_text.h"

namespace {

// Both functions walk the text by characters, and these tests depend on the program's
// code page being the Chinese one.
TEST(MbcsText, RunsUnderTheChineseCodePage)
{
    ASSERT_EQ(GetACP(), 936u);
}

struct LowerCaseCase {
    const char* name;
    std::string text;      // what is in the buffer, terminator and beyond
    std::string expected;  // the whole buffer afterwards
};

class LowerCaseMbcsTest : public testing::TestWithParam<LowerCaseCase> {};

TEST_P(LowerCaseMbcsTest, LowersSingleByteLettersOnly)
{
    const LowerCaseCase& c = GetParam();
    std::string buffer = c.text;
    LowerCaseMbcs(buffer.data());
    EXPECT_EQ(testing::PrintToString(buffer), testing::PrintToString(c.expected));
}

// The lead bytes of code page 936 are 0x81 to 0xFE; 0x80 and 0xFF stand alone.
const LowerCaseCase kLowerCaseCases[] = {
    {"AsciiLetters", "Chinese Voice ZH", "chinese voice zh"},
    {"NeighboursOfTheCapitals", "@AZ[`az{", "@az[`az{"},
    {"ChineseTextBetweenLetters", "ABC中文XYZ", "abc中文xyz"},
    // 0x81 0x41 and 0x81 0x5A are characters whose trail bytes are 'A' and 'Z'.
    {"TrailBytesThatAreCapitals", "\x81" "A" "\x81" "Z" "Q", "\x81" "A" "\x81" "Z" "q"},
    {"CapitalTrailByteStartingALatinWord", "\x81" "CHINESE", "\x81" "Chinese"},
    {"CharactersBackToBack", "\xD6\xD0\xCE\xC4" "\xFE\x4E" "N", "\xD6\xD0\xCE\xC4" "\xFE\x4E" "n"},
    {"BytesThatAreNotLeadBytes", "\x80" "A" "\xFF" "B", "\x80" "a" "\xFF" "b"},
    // A lone lead byte at the end is a character of its own; what lies past the
    // terminator is not the text's.
    {"LoneLeadByteAtTheEnd", std::string("X\x81\0B", 4), std::string("x\x81\0B", 4)},
    {"Empty", std::string("\0A", 2), std::string("\0A", 2)},
};

INSTANTIATE_TEST_SUITE_P(Cases, LowerCaseMbcsTest, testing::ValuesIn(kLowerCaseCases),
                         [](const testing::TestParamInfo<LowerCaseCase>& info) { return info.param.name; });

struct ContainsCase {
    const char* name;
    std::string text;
    const char* needle;
    bool expected;
};

class ContainsMbcsTest : public testing::TestWithParam<ContainsCase> {};

TEST_P(ContainsMbcsTest, MatchesOnlyAtCharacterBoundaries)
{
    const ContainsCase& c = GetParam();
    EXPECT_EQ(ContainsMbcs(c.text.c_str(), c.needle), c.expected);
}

// "中文" is D6 D0 CE C4 in code page 936.
const ContainsCase kContainsCases[] = {
    {"LatinWordInside", "microsoft chinese voice", "chinese", true},
    {"LatinWordAtTheStart", "chinese", "chinese", true},
    {"LatinWordAtTheEnd", "simplified chinese", "chinese", true},
    {"LatinWordMissing", "english voice", "chinese", false},
    {"LatinWordCutShort", "chines", "chinese", false},
    {"ChineseWordAlone", "中文", "中文", true},
    {"ChineseWordInsideChineseText", "普通话中文女声", "中文", true},
    // 0x81 0x63 is one character; the "chinese" that seems to follow it starts inside it.
    {"LatinWordStartingAtATrailByte", "\x81" "chinese", "chinese", false},
    {"LatinWordAfterACharacterWithALetterTrail", "\x81" "c" "\x81" "h" "chinese", "chinese", true},
    {"LatinWordAgainAfterAFalseStart", "\x81" "chinese chinese", "chinese", true},
    // B0 D6 | D0 CE | C4 E3: the bytes of "中文" straddle three characters.
    {"ChineseWordStraddlingCharacters", "\xB0\xD6\xD0\xCE\xC4\xE3", "中文", false},
    {"ChineseWordAfterAStraddle", "\xB0\xD6\xD0\xCE\xC4\xE3" "中文", "中文", true},
    {"ChineseWordRightAfterACharacterEndingInItsLeadByte", "\xB0\xD6\xD6\xD0\xCE\xC4", "中文", true},
    // 0x80 and 0xFF are single-byte: the word right after them is at a boundary.
    {"LatinWordAfterBytesThatAreNotLeadBytes", "\x80" "chinese" "\xFF", "chinese", true},
    {"LatinWordAfterAnFFByte", "\xFF" "chinese", "chinese", true},
    // A lone lead byte ends the text; the rest of the buffer is beyond the terminator.
    {"NothingFoundPastALoneLeadByteAtTheEnd", std::string("\xD6\0chinese", 9), "chinese", false},
};

INSTANTIATE_TEST_SUITE_P(Cases, ContainsMbcsTest, testing::ValuesIn(kContainsCases),
                         [](const testing::TestParamInfo<ContainsCase>& info) { return info.param.name; });

// The selection lower-cases first and then searches: together they must not turn a
// character with a capital trail byte into the start of the word.
TEST(MbcsText, CapitalTrailByteNeverBecomesTheStartOfTheWord)
{
    for (std::string text : {std::string("\x81" "CHINESE"), std::string("\x81" "Chinese voice")}) {
        LowerCaseMbcs(text.data());
        EXPECT_FALSE(ContainsMbcs(text.c_str(), "chinese")) << testing::PrintToString(text);
    }
}

} // namespace
