// The value name a voice's description is read under: the language id in hexadecimal.
#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <iterator>
#include <string>

#include "speech/voice_description.h"

namespace {

struct HexCase {
    LANGID langId;
    const wchar_t* expected;
};

class FormatLangIdHexTest : public testing::TestWithParam<HexCase> {};

TEST_P(FormatLangIdHexTest, UpperCaseDigitsWithoutLeadingZeros)
{
    // Guard characters after the ten the function may use show any write past them.
    struct {
        WCHAR buffer[10];
        WCHAR guard[6];
    } memory;
    std::fill(std::begin(memory.buffer), std::end(memory.buffer), L'#');
    std::fill(std::begin(memory.guard), std::end(memory.guard), L'#');

    FormatLangIdHex(GetParam().langId, memory.buffer);

    EXPECT_EQ(std::wstring(memory.buffer, wcsnlen(memory.buffer, 10)), GetParam().expected);
    EXPECT_EQ(std::wstring(memory.guard, 6), L"######");
}

INSTANTIATE_TEST_SUITE_P(Cases, FormatLangIdHexTest,
                         testing::Values(HexCase{0x0000, L"0"}, HexCase{0x0804, L"804"}, HexCase{0x0409, L"409"},
                                         HexCase{0x041E, L"41E"}, HexCase{0xFFFF, L"FFFF"},
                                         HexCase{0x000A, L"A"}, HexCase{0x0010, L"10"},
                                         HexCase{0x1000, L"1000"}, HexCase{0xABCD, L"ABCD"}));

} // namespace
