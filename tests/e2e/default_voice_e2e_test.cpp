// At start-up the program takes the first Chinese voice the engine lists, before its
// window opens; with no Chinese voice it keeps the engine's default.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "program_fixture.h"

namespace {

// The value name voices keep their description under for the user's interface language
// (the driver runs in the same prefix, as the same user, as the program).
std::string UserLanguageValueName()
{
    char name[8];
    std::snprintf(name, sizeof name, "%X", static_cast<unsigned>(GetUserDefaultUILanguage()));
    return name;
}

// The test voice's token notation; "{ui}" stands for the user's language value name.
std::string VoiceTokens(std::string notation)
{
    const std::string placeholder = "{ui}";
    for (std::size_t at; (at = notation.find(placeholder)) != std::string::npos;)
        notation.replace(at, placeholder.size(), UserLanguageValueName());
    return notation;
}

struct VoiceListCase {
    const char* name;
    const char* tokens;
    const char* expectedVoice;  // null: the engine's default voice stays
};

const VoiceListCase kVoiceListCases[] = {
    {"FirstChineseVoiceIsTaken",
     "VXL_EN|English Female|{ui}=English Female;"
     "VXL_ZH1|Chinese Female|{ui}=中文女声;"
     "VXL_ZH2|Chinese Male|{ui}=中文男声",
     "VXL_ZH1"},
    {"OnlyEnglishVoicesKeepTheDefault", "VXL_EN1|English Female|{ui}=English Female;VXL_EN2|{ui}=English Male",
     nullptr},
};

class DefaultVoiceTest : public VoiceProgramTest, public testing::WithParamInterface<VoiceListCase> {};

TEST_P(DefaultVoiceTest, ChosenBeforeTheWindowOpens)
{
    const VoiceListCase& c = GetParam();
    ASSERT_NO_FATAL_FAILURE(LaunchWithVoice({{"VEXLORIN_TEST_VOICE_TOKENS", VoiceTokens(c.tokens)}}));
    // Setting the volume is the first thing the window does once it is created.
    ASSERT_TRUE(WaitForLog([](const VoiceLog& log) { return !CallsTo(log, "SetVolume").empty(); }));
    VoiceLog log = Log();
    unsigned long windowCreated = CallsTo(log, "SetVolume").front().seq;

    // The voices are looked at before the window is created.
    std::vector<VoiceCall> asks = CallsTo(log, "GetStringValue");
    ASSERT_FALSE(asks.empty()) << "the program did not look at the voices";
    EXPECT_LT(asks.back().seq, windowCreated);

    std::vector<VoiceCall> setVoice = CallsTo(log, "SetVoice");
    if (c.expectedVoice) {
        ASSERT_EQ(setVoice.size(), 1u);
        EXPECT_EQ(setVoice[0].Field("token"), c.expectedVoice);
        EXPECT_EQ(setVoice[0].result, std::optional<unsigned long>(0));
        EXPECT_LT(setVoice[0].seq, windowCreated);
    } else {
        EXPECT_TRUE(setVoice.empty()) << "SetVoice with " << setVoice[0].Field("token");
        std::vector<VoiceCall> next = CallsTo(log, "Next");
        ASSERT_FALSE(next.empty());
        EXPECT_NE(next.back().result, std::optional<unsigned long>(0)) << "the list was not read to its end";
    }

    // The voice list and the chosen voice are all given back by the time the program ends.
    EXPECT_EQ(CloseAndWaitForExit(), std::optional<DWORD>(0));
    EXPECT_EQ(LiveObjectsAtUnload(Log()), std::optional<long>(0)) << "engine objects left alive";
}

INSTANTIATE_TEST_SUITE_P(VoiceLists, DefaultVoiceTest, testing::ValuesIn(kVoiceListCases),
                         [](const testing::TestParamInfo<VoiceListCase>& info) { return info.param.name; });

} // namespace
