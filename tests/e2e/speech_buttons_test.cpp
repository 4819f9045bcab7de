// The speech buttons seen from both ends: the user clicks in the window, the engine's
// log says what reached it.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "expected_texts.h"
#include "long_text.h"
#include "message_boxes.h"
#include "program_fixture.h"
#include "window_facts.h"

namespace {

constexpr unsigned long kSpfAsync = 1;
constexpr unsigned long kSpfPurgeBeforeSpeak = 2;
// Start and end of an input stream, plus the two check bits the engine requires.
constexpr unsigned long long kStreamEventInterest = 0x0000000240000006ULL;

using SpeechButtonsTest = VoiceProgramTest;

// The engine's record of a stream event ("@StartStream", "@EndStream", "@Purged").
const VoiceCall* StreamEvent(const VoiceLog& log, const char* which, unsigned long long stream)
{
    for (const VoiceCall& call : log.calls) {
        if (call.method == which && call.Number("stream") == stream)
            return &call;
    }
    return nullptr;
}

bool HasStreamEvent(const VoiceLog& log, const char* which, unsigned long long stream)
{
    return StreamEvent(log, which, stream) != nullptr;
}

// The events the program fetched, as "id/stream", in the order it fetched them.
std::vector<std::string> FetchedEvents(const VoiceLog& log)
{
    std::vector<std::string> events;
    for (const VoiceCall& call : CallsTo(log, "GetEvents")) {
        std::string ids = call.Field("ids");
        for (std::size_t start = 0; !ids.empty() && start <= ids.size();) {
            std::size_t comma = ids.find(',', start);
            events.push_back(ids.substr(start, comma - start));
            if (comma == std::string::npos)
                break;
            start = comma + 1;
        }
    }
    return events;
}

std::string RepeatedText(const std::string& piece, int times)
{
    std::string text;
    for (int i = 0; i < times; ++i)
        text += piece;
    return text;
}

TEST_F(SpeechButtonsTest, ConnectsToTheEngineOnceAndOnlyFromTheWindowsThread)
{
    ASSERT_NO_FATAL_FAILURE(LaunchWithVoice());
    ASSERT_TRUE(Click(Button("开始发音")));
    ASSERT_TRUE(WaitForLog([](const VoiceLog& log) { return HasStreamEvent(log, "@EndStream", 1); }));
    ASSERT_TRUE(WaitForLog([](const VoiceLog& log) {
        std::vector<std::string> fetched = FetchedEvents(log);
        return !fetched.empty() && fetched.back() == "2/1";
    }));
    VoiceLog log = Log();

    std::vector<VoiceCall> voices;
    for (const VoiceCall& call : CallsTo(log, "CreateInstance")) {
        if (call.object == "factory:SpVoice")
            voices.push_back(call);
    }
    ASSERT_EQ(voices.size(), 1u);
    EXPECT_EQ(voices[0].result, 0u);

    std::vector<VoiceCall> interest = CallsTo(log, "SetInterest");
    ASSERT_EQ(interest.size(), 1u);
    EXPECT_EQ(interest[0].Number("event"), kStreamEventInterest);
    EXPECT_EQ(interest[0].Number("queued"), kStreamEventInterest);
    EXPECT_EQ(interest[0].result, 0u);
    EXPECT_EQ(CallsTo(log, "SetNotifyCallbackFunction").size(), 1u);

    std::vector<VoiceCall> volume = CallsTo(log, "SetVolume");
    ASSERT_EQ(volume.size(), 1u);
    EXPECT_LE(volume[0].Number("volume"), 100u);
    EXPECT_EQ(volume[0].result, 0u);

    // The notification is delivered, and every request made, on the thread that runs the window.
    DWORD windowThread = GetWindowThreadProcessId(Window(), nullptr);
    for (const VoiceCall& call : CallsOn(log, "voice#1")) {
        if (call.method[0] == '@' || call.method == "AddRef" || call.method == "Release")
            continue;
        EXPECT_EQ(call.threadId, windowThread) << call.method;
    }
    EXPECT_FALSE(CallsTo(log, "@Notify").empty());
}

TEST_F(SpeechButtonsTest, StartSpeaksWhatTheBoxHoldsAtTheMomentOfTheClick)
{
    ASSERT_NO_FATAL_FAILURE(LaunchWithVoice());
    HWND edit = EditBox();
    HWND start = Button("开始发音");
    const std::string first = "你好，世界！这是第一段旁白。";
    const std::string second = "第二段：Vexlorin 朗读 123，\r\n结束。";
    ASSERT_TRUE(SetText(edit, first));
    ASSERT_TRUE(Click(start));
    ASSERT_TRUE(SetText(edit, second));
    ASSERT_TRUE(Click(start));
    ASSERT_TRUE(WaitForLog([](const VoiceLog& log) { return TextRequests(log).size() >= 2; }));
    // Both are spoken, and the program fetches each start and end as it comes.
    ASSERT_TRUE(WaitForLog([](const VoiceLog& log) {
        std::vector<std::string> fetched = FetchedEvents(log);
        return !fetched.empty() && fetched.back() == "2/2";
    })) << "fetched events: " << testing::PrintToString(FetchedEvents(Log()));

    VoiceLog log = Log();
    std::vector<VoiceCall> requests = TextRequests(log);
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].Text("text"), FromCodePage936(first));
    EXPECT_EQ(requests[1].Text("text"), FromCodePage936(second));
    for (const VoiceCall& request : requests) {
        // Queued, and the click returns at once: no waiting for the voice.
        EXPECT_EQ(request.Number("flags"), kSpfAsync);
        EXPECT_EQ(request.result, 0u);
    }
    EXPECT_TRUE(CallsTo(log, "WaitUntilDone").empty());
    EXPECT_EQ(FetchedEvents(log), (std::vector<std::string>{"1/1", "2/1", "1/2", "2/2"}));
    EXPECT_EQ(TextOf(edit), second);
}

TEST_F(SpeechButtonsTest, StopDiscardsTheSpeechUnderWayAndWhatIsQueued)
{
    // Long enough that only the stop can end it within the test.
    ASSERT_NO_FATAL_FAILURE(LaunchWithVoice({{"VEXLORIN_TEST_VOICE_MS_PER_CHAR", "100"}}));
    HWND edit = EditBox();
    const std::string spoken = RepeatedText("正在朗读的一句话。", 40);
    ASSERT_TRUE(SetText(edit, spoken));
    ASSERT_TRUE(Click(Button("开始发音")));
    ASSERT_TRUE(WaitForLog([](const VoiceLog& log) { return HasStreamEvent(log, "@StartStream", 1); }));
    ASSERT_TRUE(SetText(edit, "排队等候的第二段。"));
    ASSERT_TRUE(Click(Button("开始发音")));
    ASSERT_TRUE(Click(Button("停止发音")));
    ASSERT_TRUE(WaitForLog([](const VoiceLog& log) {
        return HasStreamEvent(log, "@EndStream", 1) && HasStreamEvent(log, "@Purged", 2) && !Purges(log).empty();
    }));

    VoiceLog log = Log();
    std::vector<VoiceCall> purges = Purges(log);
    ASSERT_EQ(purges.size(), 1u);
    EXPECT_EQ(purges[0].Number("flags"), kSpfPurgeBeforeSpeak);
    EXPECT_EQ(purges[0].result, 0u);
    // The first was cut short, the second never began.
    EXPECT_LT(StreamEvent(log, "@EndStream", 1)->Number("offset"), 2 * FromCodePage936(spoken).size());
    EXPECT_FALSE(HasStreamEvent(log, "@StartStream", 2));
    ASSERT_TRUE(WaitForLog([](const VoiceLog& log) {
        std::vector<std::string> fetched = FetchedEvents(log);
        return !fetched.empty() && fetched.back() == "2/1";
    }));
    // Stopping again with nothing to stop is harmless.
    ASSERT_TRUE(Click(Button("停止发音")));
    ASSERT_TRUE(WaitForLog([](const VoiceLog& log) { return Purges(log).size() == 2; }));
    EXPECT_EQ(Purges(Log())[1].result, 0u);
    EXPECT_TRUE(MessageBoxesOf(ProcessId()).empty());
}

TEST_F(SpeechButtonsTest, PauseAndResumeReachTheEngineWhileItSpeaks)
{
    ASSERT_NO_FATAL_FAILURE(LaunchWithVoice({{"VEXLORIN_TEST_VOICE_MS_PER_CHAR", "20"}}));
    const std::string spoken = RepeatedText("暂停以后还要接着读完。", 15);
    ASSERT_TRUE(SetText(EditBox(), spoken));
    ASSERT_TRUE(Click(Button("开始发音")));
    ASSERT_TRUE(WaitForLog([](const VoiceLog& log) { return HasStreamEvent(log, "@StartStream", 1); }));
    ASSERT_TRUE(Click(Button("暂停发音")));
    ASSERT_TRUE(Click(Button("恢复发音")));
    ASSERT_TRUE(WaitForLog([](const VoiceLog& log) { return HasStreamEvent(log, "@EndStream", 1); }, 60000));

    VoiceLog log = Log();
    std::vector<VoiceCall> pauses = CallsTo(log, "Pause");
    std::vector<VoiceCall> resumes = CallsTo(log, "Resume");
    ASSERT_EQ(pauses.size(), 1u);
    ASSERT_EQ(resumes.size(), 1u);
    EXPECT_EQ(pauses[0].result, 0u);
    EXPECT_EQ(resumes[0].result, 0u);
    const VoiceCall* end = StreamEvent(log, "@EndStream", 1);
    EXPECT_LT(StreamEvent(log, "@StartStream", 1)->seq, pauses[0].seq);
    EXPECT_LT(pauses[0].seq, resumes[0].seq);
    EXPECT_LT(resumes[0].seq, end->seq);
    // Resumed where it stopped and spoken to the end.
    EXPECT_EQ(end->Number("offset"), 2 * FromCodePage936(spoken).size());
}

TEST_F(SpeechButtonsTest, StaysResponsiveWhileALongTextIsSpoken)
{
    ASSERT_NO_FATAL_FAILURE(LaunchWithVoice({{"VEXLORIN_TEST_VOICE_MS_PER_CHAR", "50"}}));
    HWND edit = EditBox();
    ASSERT_TRUE(SetText(edit, RepeatedText("一段需要读很久的文字。", 100)));  // about a minute
    ASSERT_TRUE(Click(Button("开始发音"), 5000));
    ASSERT_TRUE(WaitForLog([](const VoiceLog& log) { return HasStreamEvent(log, "@StartStream", 1); }));
    // Every click below is handled within the bound, long before the speech could end.
    ASSERT_TRUE(Click(Button("暂停发音"), 5000));
    ASSERT_TRUE(Click(Button("恢复发音"), 5000));
    ASSERT_TRUE(SetText(edit, "又一段。"));
    ASSERT_TRUE(Click(Button("开始发音"), 5000));
    EXPECT_TRUE(Answers(Window(), 5000));
    ASSERT_TRUE(WaitForLog([](const VoiceLog& log) { return TextRequests(log).size() == 2; }));
    VoiceLog log = Log();
    EXPECT_FALSE(HasStreamEvent(log, "@EndStream", 1));
    EXPECT_EQ(CallsTo(log, "Pause").size(), 1u);
    EXPECT_EQ(CallsTo(log, "Resume").size(), 1u);
    ASSERT_TRUE(Click(Button("停止发音"), 5000));
    EXPECT_EQ(CloseAndWaitForExit(), std::optional<DWORD>(0));
}

TEST_F(SpeechButtonsTest, APastedNarrationIsSpokenWhole)
{
    ASSERT_NO_FATAL_FAILURE(LaunchWithVoice({{"VEXLORIN_TEST_VOICE_MS_PER_CHAR", "0"}}));
    const std::string narration = LongNarration(100000);
    const std::wstring expected = FromCodePage936(narration);
    ASSERT_GT(expected.size(), 100000u);
    ASSERT_TRUE(CopyToClipboard(narration));
    ASSERT_TRUE(PasteOverAll(EditBox()));
    ASSERT_TRUE(Click(Button("开始发音"), 30000));
    ASSERT_TRUE(WaitForLog([](const VoiceLog& log) { return HasStreamEvent(log, "@EndStream", 1); }, 60000));
    VoiceLog log = Log();
    std::vector<VoiceCall> requests = TextRequests(log);
    ASSERT_EQ(requests.size(), 1u);
    std::wstring received = requests[0].Text("text");
    EXPECT_EQ(received.size(), expected.size());
    EXPECT_TRUE(received == expected) << "the engine received a different text";
    EXPECT_EQ(StreamEvent(log, "@EndStream", 1)->Number("offset"), 2 * expected.size());
}

TEST_F(SpeechButtonsTest, EveryButtonIsHarmlessWithoutAnEngine)
{
    ASSERT_NO_FATAL_FAILURE(LaunchWithVoice({{"VEXLORIN_TEST_VOICE_FAIL", "create"}}));
    HWND edit = EditBox();
    const std::string text = "没有语音引擎也不要出错。";
    ASSERT_TRUE(SetText(edit, text));
    for (const char* caption : {"开始发音", "暂停发音", "恢复发音", "停止发音", "开始发音"}) {
        SCOPED_TRACE(caption);
        ASSERT_TRUE(Click(Button(caption)));
        EXPECT_TRUE(Answers(Window(), 5000));
        EXPECT_TRUE(MessageBoxesOf(ProcessId()).empty());
        EXPECT_EQ(TextOf(edit), text);
    }
    ClickWithoutWaiting(Button("语音环境是否安装"));
    HWND box = WaitForMessageBox(ProcessId(), kBoxTimeoutMs);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(ReadMessageBox(box).text, kNoEngineText);
    ASSERT_TRUE(PressOk(box, kBoxTimeoutMs));

    EXPECT_EQ(CloseAndWaitForExit(), std::optional<DWORD>(0));
    VoiceLog log = Log();
    std::vector<VoiceCall> creations = CallsTo(log, "CreateInstance");
    ASSERT_FALSE(creations.empty());
    for (const VoiceCall& creation : creations)
        EXPECT_NE(creation.result, 0u) << "a voice was made after all";
    EXPECT_TRUE(CallsTo(log, "Speak").empty());
    EXPECT_TRUE(CallsTo(log, "Pause").empty());
    EXPECT_TRUE(CallsTo(log, "Resume").empty());
    EXPECT_TRUE(CallsTo(log, "SetVolume").empty());
}

} // namespace
