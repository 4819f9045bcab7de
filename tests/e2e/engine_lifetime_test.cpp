// How the program ends: closing the window ends it normally and gives every engine
// reference back; a run-time error ends it at once with exit code -1.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "message_boxes.h"
#include "program_fixture.h"
#include "window_facts.h"

namespace {

constexpr DWORD kRunTimeErrorExitCode = static_cast<DWORD>(-1);

using EngineLifetimeTest = VoiceProgramTest;

// The reference counts the voice went through, in order.
std::vector<unsigned long long> VoiceReferenceCounts(const VoiceLog& log)
{
    std::vector<unsigned long long> counts;
    for (const VoiceCall& call : CallsOn(log, "voice#1")) {
        if (call.method == "AddRef" || call.method == "Release")
            counts.push_back(call.Number("refs"));
    }
    return counts;
}

void ExpectEverythingReleasedOnce(const VoiceLog& log)
{
    std::vector<VoiceCall> voiceCalls = CallsOn(log, "voice#1");
    ASSERT_FALSE(voiceCalls.empty());
    // The last thing done to the voice is its final release, and it happens once.
    EXPECT_EQ(voiceCalls.back().method, "Release");
    EXPECT_EQ(voiceCalls.back().Number("refs"), 0u);
    std::vector<unsigned long long> counts = VoiceReferenceCounts(log);
    EXPECT_EQ(std::count(counts.begin(), counts.end(), 0u), 1) << testing::PrintToString(counts);
    EXPECT_EQ(LiveObjectsAtUnload(log), std::optional<long>(0)) << "engine objects left alive";
}

TEST_F(EngineLifetimeTest, ClosingEndsNormallyAndReleasesEveryEngineReference)
{
    ASSERT_NO_FATAL_FAILURE(LaunchWithVoice());
    ASSERT_TRUE(SetText(EditBox(), "说完就关。"));
    ASSERT_TRUE(Click(Button("开始发音")));
    ASSERT_TRUE(WaitForLog([](const VoiceLog& log) { return !CallsTo(log, "@EndStream").empty(); }));

    EXPECT_EQ(CloseAndWaitForExit(), std::optional<DWORD>(0));
    ExpectEverythingReleasedOnce(Log());
}

TEST_F(EngineLifetimeTest, ClosingWhileSpeakingEndsNormallyToo)
{
    ASSERT_NO_FATAL_FAILURE(LaunchWithVoice({{"VEXLORIN_TEST_VOICE_MS_PER_CHAR", "100"}}));
    std::string text;
    for (int i = 0; i < 50; ++i)
        text += "关窗的时候还在读。";
    ASSERT_TRUE(SetText(EditBox(), text));
    ASSERT_TRUE(Click(Button("开始发音")));
    ASSERT_TRUE(WaitForLog([](const VoiceLog& log) { return !CallsTo(log, "@StartStream").empty(); }));
    ASSERT_TRUE(Click(Button("暂停发音")));

    EXPECT_EQ(CloseAndWaitForExit(), std::optional<DWORD>(0));
    ExpectEverythingReleasedOnce(Log());
}

TEST_F(EngineLifetimeTest, ARunTimeErrorEndsTheProgramAtOnceWithMinusOne)
{
    ASSERT_NO_FATAL_FAILURE(LaunchWithVoice({{"VEXLORIN_FAIL_ALLOC_SIZE", "1000"}}));
    // The start button copies the text with its terminating zero: 1,000 bytes, and that
    // allocation is made to fail.
    ASSERT_TRUE(SetText(EditBox(), std::string(999, 'a')));
    ClickWithoutWaiting(Button("开始发音"));
    HWND box = WaitForMessageBox(ProcessId(), kBoxTimeoutMs);
    ASSERT_NE(box, nullptr) << "the run-time error was not reported";
    MessageBoxContent content = ReadMessageBox(box);
    EXPECT_NE(content.text.find("1000"), std::string::npos) << content.text;
    EXPECT_FALSE(content.title.empty());
    ASSERT_TRUE(PressOk(box, kBoxTimeoutMs));
    EXPECT_EQ(WaitForExit(program, kExitTimeoutMs), std::optional<DWORD>(kRunTimeErrorExitCode));

    // Nothing was spoken, and the exit routine that releases the engine never ran.
    VoiceLog log = Log();
    EXPECT_TRUE(CallsTo(log, "Speak").empty());
    std::vector<unsigned long long> counts = VoiceReferenceCounts(log);
    EXPECT_EQ(std::count(counts.begin(), counts.end(), 0u), 0) << testing::PrintToString(counts);
    std::optional<long> live = LiveObjectsAtUnload(log);
    if (live) {
        EXPECT_GT(*live, 0);
    }
}

TEST_F(EngineLifetimeTest, ARunTimeErrorBeforeTheWindowEndsWithMinusOne)
{
    // The speech object's block, the first thing the program allocates, holds one pointer.
    logPath = TempFileName("vxl");
    ASSERT_TRUE(StartProgram(program, {{"VEXLORIN_TEST_VOICE_LOG", logPath},
                                       {"VEXLORIN_FAIL_ALLOC_SIZE", std::to_string(sizeof(void*))}}));
    HWND box = WaitForMessageBox(ProcessId(), kBoxTimeoutMs);
    ASSERT_NE(box, nullptr) << "the run-time error was not reported";
    EXPECT_NE(ReadMessageBox(box).text.find(std::to_string(sizeof(void*))), std::string::npos)
        << ReadMessageBox(box).text;
    EXPECT_EQ(WaitForMainWindow(program, 0), nullptr);
    ASSERT_TRUE(PressOk(box, kBoxTimeoutMs));
    EXPECT_EQ(WaitForExit(program, kExitTimeoutMs), std::optional<DWORD>(kRunTimeErrorExitCode));
    EXPECT_TRUE(CallsTo(Log(), "CreateInstance").empty()) << "an engine was asked for after the failure";
}

} // namespace
