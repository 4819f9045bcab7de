#include <windows.h>

#include <gtest/gtest.h>

#include "speech/text_to_speech.h"
#include "test_voice.h"

namespace {

using test_voice::Calls;
using test_voice::CallCount;

class SpeechObjectTest : public testing::Test {
protected:
    void SetUp() override
    {
        test_voice::Reset();
        ASSERT_TRUE(registration.ok());
    }
    void TearDown() override
    {
        Destroy(tts);
        EXPECT_EQ(test_voice::LiveObjectCount(), 0u) << "a voice reference was not released";
    }
    test_voice::Registration registration;
    ETextToSpeech tts{};
};

TEST(SpeechIdentifiers, AreSapisOwn)
{
    EXPECT_EQ(CLSID_SpVoice, test_voice::kClsidSpVoice);
    EXPECT_EQ(kVoiceClassContext, 7u);
    EXPECT_EQ(kSpeechEventInterest, 0x0000000240000006ULL);
}

TEST_F(SpeechObjectTest, ConstructCreatesOneVoiceWithInterestAndCallback)
{
    Construct(tts);
    ASSERT_TRUE(IsAvailable(tts));
    Construct(tts);  // does not repeat
    size_t voicesCreated = 0;
    for (const auto& call : Calls("CreateInstance"))
        voicesCreated += call.object == "factory:SpVoice";
    EXPECT_EQ(voicesCreated, 1u);
    ASSERT_EQ(test_voice::Voices().size(), 1u);
    EXPECT_EQ(test_voice::RefCount("voice#1"), 1) << "the holder owns exactly one reference";

    auto interest = Calls("SetInterest");
    ASSERT_EQ(interest.size(), 1u);
    EXPECT_EQ(interest[0].args, (std::vector<unsigned long long>{kSpeechEventInterest, kSpeechEventInterest}));
    auto notify = Calls("SetNotifyCallbackFunction");
    ASSERT_EQ(notify.size(), 1u);
    EXPECT_EQ(notify[0].args[0], reinterpret_cast<unsigned long long>(&OnSpeechNotify));
    EXPECT_EQ(notify[0].args[1], reinterpret_cast<unsigned long long>(tts.state));
    EXPECT_EQ(notify[0].args[2], 0u);
}

TEST_F(SpeechObjectTest, DestroyReleasesTheVoiceAndLeavesTheObjectReleased)
{
    Construct(tts);
    Destroy(tts);
    EXPECT_FALSE(IsAvailable(tts));
    EXPECT_EQ(tts.state, nullptr);
    EXPECT_EQ(test_voice::LiveObjectCount(), 0u);
    Destroy(tts);  // nothing left to do
    Construct(tts);
    EXPECT_TRUE(IsAvailable(tts)) << "a released object may be constructed again";
}

// Every operation of an object without a voice answers false without touching the engine.
TEST_F(SpeechObjectTest, WithoutAnEngineEveryOperationAnswersFalse)
{
    for (HRESULT failure : {REGDB_E_CLASSNOTREG, E_OUTOFMEMORY}) {
        test_voice::Reset();
        test_voice::FailCreation(test_voice::Class::Voice, failure);
        ETextToSpeech empty{};
        Construct(empty);
        EXPECT_FALSE(IsAvailable(empty));
        EXPECT_EQ(empty.state, nullptr);
        EXPECT_FALSE(Speak(empty, SpeakPlainText, "你好", -1, ControlAddress{1, 2}));
        EXPECT_FALSE(Speak(empty, SpeakNothing, "你好"));
        EXPECT_FALSE(Stop(empty));
        EXPECT_FALSE(Pause(empty));
        EXPECT_FALSE(Resume(empty));
        EXPECT_FALSE(SetVolume(empty, 50));
        Destroy(empty);
        EXPECT_EQ(test_voice::LiveObjectCount(), 0u);
        for (const char* method : {"Speak", "Pause", "Resume", "SetVolume", "WaitUntilDone"})
            EXPECT_EQ(CallCount(method), 0u) << method;
    }
}

TEST_F(SpeechObjectTest, SpeakModesMapToSapiFlags)
{
    Construct(tts);
    struct Case {
        int mode;
        bool requested;
        unsigned long flags;
    } cases[] = {{0, true, 1}, {1, true, 5}, {2, true, 9}, {3, false, 0}};
    for (const Case& c : cases) {
        test_voice::ClearCalls();
        EXPECT_TRUE(Speak(tts, c.mode, "中文 text")) << c.mode;
        auto speaks = Calls("Speak");
        ASSERT_EQ(speaks.size(), c.requested ? 1u : 0u) << c.mode;
        if (c.requested) {
            EXPECT_EQ(speaks[0].flags, c.flags);
            EXPECT_EQ(speaks[0].text, L"中文 text");
        }
    }
}

TEST_F(SpeechObjectTest, ModesOutOfRangeAreRefusedBeforeAnyEngineCall)
{
    Construct(tts);
    test_voice::ClearCalls();
    for (int mode : {-1, 4, 100})
        EXPECT_FALSE(Speak(tts, mode, "x", -1, ControlAddress{1, 2})) << mode;
    EXPECT_TRUE(Calls().empty());
    EXPECT_EQ(tts.state->receiver, nullptr);
}

TEST_F(SpeechObjectTest, SpeakAnswersTheEnginesVerdictAndAbsentTextIsPassedOn)
{
    Construct(tts);
    EXPECT_FALSE(Speak(tts, SpeakPlainText, nullptr)) << "the engine refuses a request without text";
    ASSERT_EQ(CallCount("Speak"), 1u);
    EXPECT_TRUE(Calls("Speak")[0].textIsNull);
    test_voice::FailMethod("Speak", E_FAIL);
    EXPECT_FALSE(Speak(tts, SpeakPlainText, "x"));
    test_voice::ClearFailures();
    test_voice::FailMethod("Speak", S_FALSE);
    EXPECT_TRUE(Speak(tts, SpeakPlainText, "x")) << "a success code other than S_OK is success";
}

TEST_F(SpeechObjectTest, WaitIsAskedOnlyWhenGivenAndNotZero)
{
    Construct(tts);
    struct Case {
        std::optional<int> waitMs;
        std::optional<unsigned long long> expected;
    } cases[] = {{std::nullopt, std::nullopt}, {0, std::nullopt}, {500, 500}, {-1, INFINITE}, {-20, INFINITE}};
    for (const Case& c : cases) {
        test_voice::ClearCalls();
        Speak(tts, SpeakPlainText, "x", c.waitMs);
        auto waits = Calls("WaitUntilDone");
        ASSERT_EQ(waits.size(), c.expected ? 1u : 0u);
        if (c.expected) {
            EXPECT_EQ(waits[0].args[0], *c.expected);
        }
    }
    // The wait happens even when the request failed, and its own failure changes nothing.
    test_voice::ClearCalls();
    test_voice::FailMethod("Speak", E_FAIL);
    test_voice::FailMethod("WaitUntilDone", E_FAIL);
    EXPECT_FALSE(Speak(tts, SpeakPlainText, "x", 10));
    EXPECT_EQ(CallCount("WaitUntilDone"), 1u);
    test_voice::ClearFailures();
    EXPECT_TRUE(Speak(tts, SpeakNothing, "x", 10));
}

TEST_F(SpeechObjectTest, WaitingReturnsWhenSpeakingEndsOrTheTimeRunsOut)
{
    test_voice::SetMsPerChar(10);
    Construct(tts);
    std::string text(100, 'a');  // about a second of speech
    DWORD start = GetTickCount();
    EXPECT_TRUE(Speak(tts, SpeakPlainText, text.c_str()));
    EXPECT_LT(GetTickCount() - start, 500u) << "asynchronous without a wait";
    EXPECT_TRUE(Speak(tts, SpeakPlainText, "b", 100));
    EXPECT_FALSE(test_voice::Voices()[0].pendingRequests == 0 && !test_voice::Voices()[0].speaking)
        << "a 100 ms wait returned only after everything was spoken";
    EXPECT_TRUE(Speak(tts, SpeakPlainText, "c", -1));
    EXPECT_TRUE(test_voice::Voices()[0].pendingRequests == 0 && !test_voice::Voices()[0].speaking);
}

TEST_F(SpeechObjectTest, StopPurgesEverythingAndAnswersTrueWhenIdle)
{
    Construct(tts);
    EXPECT_TRUE(Stop(tts));
    auto purge = Calls("Speak");
    ASSERT_EQ(purge.size(), 1u);
    EXPECT_TRUE(purge[0].textIsNull);
    EXPECT_EQ(purge[0].flags, 2u);

    test_voice::SetMsPerChar(10);
    Speak(tts, SpeakPlainText, std::string(200, 'a').c_str());
    Speak(tts, SpeakPlainText, "queued");
    EXPECT_TRUE(Stop(tts));
    EXPECT_TRUE(test_voice::WaitIdle(1000)) << "two seconds of speech were not discarded";
}

TEST_F(SpeechObjectTest, PauseResumeAndVolumeAnswerTheEnginesVerdict)
{
    Construct(tts);
    EXPECT_TRUE(Pause(tts));
    EXPECT_EQ(test_voice::Voices()[0].pauseCount, 1);
    EXPECT_TRUE(Resume(tts));
    EXPECT_EQ(test_voice::Voices()[0].pauseCount, 0);
    test_voice::FailMethod("Pause", E_FAIL);
    test_voice::FailMethod("Resume", E_FAIL);
    EXPECT_FALSE(Pause(tts));
    EXPECT_FALSE(Resume(tts));
}

TEST_F(SpeechObjectTest, VolumeOutsideZeroToHundredIsRefusedBeforeTheEngine)
{
    Construct(tts);
    struct Case {
        int level;
        bool passed;
    } cases[] = {{0, true}, {100, true}, {57, true}, {101, false}, {-1, false}, {65536, false}};
    for (const Case& c : cases) {
        test_voice::ClearCalls();
        EXPECT_EQ(SetVolume(tts, c.level), c.passed) << c.level;
        auto calls = Calls("SetVolume");
        ASSERT_EQ(calls.size(), c.passed ? 1u : 0u) << c.level;
        if (c.passed) {
            EXPECT_EQ(calls[0].args[0], static_cast<unsigned long long>(c.level));
        }
    }
    test_voice::FailMethod("SetVolume", E_FAIL);
    EXPECT_FALSE(SetVolume(tts, 50));
}

TEST_F(SpeechObjectTest, FailuresOfInterestAndCallbackRegistrationAreIgnored)
{
    test_voice::FailMethod("SetInterest", E_FAIL);
    test_voice::FailMethod("SetNotifyCallbackFunction", E_FAIL);
    Construct(tts);
    EXPECT_TRUE(IsAvailable(tts));
    EXPECT_TRUE(Speak(tts, SpeakPlainText, "x"));
}

TEST_F(SpeechObjectTest, TextIsConvertedFromTheAnsiCodePage)
{
    ASSERT_EQ(GetACP(), 936u) << "tests run with the Chinese ANSI code page";
    Construct(tts);
    Speak(tts, SpeakPlainText, "\xC4\xE3\xBA\xC3, world\r\n\t<b>");
    EXPECT_EQ(Calls("Speak")[0].text, L"你好, world\r\n\t<b>");
}

} // namespace
