// Clicks that pile up: buttons clicked while the check button's message box is open
// (an assistive tool can still click them), and the start button clicked again and
// again. The requests reach the engine in the order of the clicks, and one stop
// discards every one of them.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "event_ledger.h"
#include "expected_texts.h"
#include "message_boxes.h"
#include "program_fixture.h"
#include "window_facts.h"

namespace {

using QueuedClicksTest = VoiceProgramTest;

// The streams discarded before they began, in the order the engine dropped them.
std::vector<unsigned long long> DiscardedStreams(const VoiceLog& log)
{
    std::vector<unsigned long long> streams;
    for (const VoiceCall& call : CallsTo(log, "@Purged"))
        streams.push_back(call.Number("stream"));
    return streams;
}

std::vector<unsigned long long> Streams(unsigned long long first, unsigned long long last)
{
    std::vector<unsigned long long> streams;
    for (unsigned long long stream = first; stream <= last; ++stream)
        streams.push_back(stream);
    return streams;
}

bool AllEventsFetched(const VoiceLog& log)
{
    return QueuedEvents(log).size() == FetchedEvents(log).size();
}

TEST_F(QueuedClicksTest, ClicksBehindTheCheckButtonsMessageBoxAreHandledInOrder)
{
    // Slow enough that the first text is still being spoken when the stop comes.
    ASSERT_NO_FATAL_FAILURE(LaunchWithVoice({{"VEXLORIN_TEST_VOICE_MS_PER_CHAR", "1000"}}));
    HWND edit = EditBox();
    HWND check = Button("语音环境是否安装");
    ClickWithoutWaiting(check);
    HWND box = WaitForMessageBox(ProcessId(), kBoxTimeoutMs);
    ASSERT_NE(box, nullptr);

    // Each click returns once handled, though the box is still open.
    const std::vector<std::string> texts = {"第一段旁白。", "第二段旁白。", "第三段旁白。"};
    for (const std::string& text : texts) {
        ASSERT_TRUE(SetText(edit, text));
        ASSERT_TRUE(Click(Button("开始发音"))) << text;
    }
    ASSERT_TRUE(Click(Button("暂停发音")));
    ASSERT_TRUE(Click(Button("恢复发音")));
    ASSERT_TRUE(WaitForLog([](const VoiceLog& log) { return !FetchedEvents(log).empty(); }))
        << "events are not delivered while the box is open";
    ASSERT_TRUE(Click(Button("停止发音")));
    ASSERT_TRUE(WaitForLog([](const VoiceLog& log) { return !Purges(log).empty() && AllEventsFetched(log); }));

    VoiceLog log = Log();
    std::vector<VoiceCall> requests = TextRequests(log);
    ASSERT_EQ(requests.size(), texts.size());
    for (size_t i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(requests[i].Text("text"), FromCodePage936(texts[i]));
        EXPECT_EQ(requests[i].Number("stream"), i + 1);
    }
    std::vector<VoiceCall> pauses = CallsTo(log, "Pause");
    std::vector<VoiceCall> resumes = CallsTo(log, "Resume");
    ASSERT_EQ(pauses.size(), 1u);
    ASSERT_EQ(resumes.size(), 1u);
    EXPECT_LT(requests.back().seq, pauses[0].seq);
    EXPECT_LT(pauses[0].seq, resumes[0].seq);
    EXPECT_LT(resumes[0].seq, Purges(log)[0].seq);
    // The first was cut short, the other two never began.
    EXPECT_EQ(DiscardedStreams(log), Streams(2, 3));
    EXPECT_EQ(FetchedEvents(log), (std::vector<std::string>{"1/1", "2/1"}));

    // The box is still the one the user opened, and closing it gives the window back.
    EXPECT_EQ(MessageBoxesOf(ProcessId()), std::vector<HWND>{box});
    EXPECT_EQ(ReadMessageBox(box).text, kEngineAvailableText);
    ASSERT_TRUE(PressOk(box, kBoxTimeoutMs));
    EXPECT_TRUE(IsWindowEnabled(Window()));
    ASSERT_TRUE(SetText(edit, "关掉提示以后。"));
    ASSERT_TRUE(Click(Button("开始发音")));
    ASSERT_TRUE(WaitForLog([](const VoiceLog& log) {
        std::vector<std::string> fetched = FetchedEvents(log);
        return !fetched.empty() && fetched.back() == "1/4";
    })) << "the window does not speak once the box is closed";
    EXPECT_EQ(CloseAndWaitForExit(), std::optional<DWORD>(0));
}

TEST_F(QueuedClicksTest, ASecondCheckBehindTheFirstBoxOpensItsOwnBoxAndBothClose)
{
    ASSERT_NO_FATAL_FAILURE(LaunchWithVoice());
    HWND check = Button("语音环境是否安装");
    ClickWithoutWaiting(check);
    HWND first = WaitForMessageBox(ProcessId(), kBoxTimeoutMs);
    ASSERT_NE(first, nullptr);
    ClickWithoutWaiting(check);
    ASSERT_TRUE(WaitUntil([&] { return MessageBoxesOf(ProcessId()).size() == 2; }, kBoxTimeoutMs));
    HWND second = nullptr;
    for (HWND box : MessageBoxesOf(ProcessId())) {
        if (box != first)
            second = box;
    }
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(ReadMessageBox(second).text, kEngineAvailableText);

    // Closed the way a user must, the newest first: the window is usable again.
    ASSERT_TRUE(PressOk(second, kBoxTimeoutMs));
    ASSERT_TRUE(PressOk(first, kBoxTimeoutMs));
    EXPECT_TRUE(MessageBoxesOf(ProcessId()).empty());
    EXPECT_TRUE(IsWindowEnabled(Window()));
    EXPECT_TRUE(Answers(Window(), 5000));
    EXPECT_EQ(CloseAndWaitForExit(), std::optional<DWORD>(0));
}

TEST_F(QueuedClicksTest, RepeatedStartsQueueInOrderAndOneStopDiscardsThemAll)
{
    constexpr unsigned kStarts = 20;
    ASSERT_NO_FATAL_FAILURE(LaunchWithVoice({{"VEXLORIN_TEST_VOICE_MS_PER_CHAR", "200"}}));
    const std::string text = "连续点击开始发音。";
    ASSERT_TRUE(SetText(EditBox(), text));
    // Clicks as fast as the queue takes them, then the stop behind them.
    HWND start = Button("开始发音");
    for (unsigned i = 0; i < kStarts; ++i)
        ClickWithoutWaiting(start);
    ClickWithoutWaiting(Button("停止发音"));
    ASSERT_TRUE(WaitForLog([](const VoiceLog& log) { return !Purges(log).empty() && AllEventsFetched(log); }));

    VoiceLog log = Log();
    std::vector<VoiceCall> requests = TextRequests(log);
    ASSERT_EQ(requests.size(), kStarts);
    for (unsigned i = 0; i < kStarts; ++i) {
        EXPECT_EQ(requests[i].Number("stream"), i + 1u);
        EXPECT_EQ(requests[i].Text("text"), FromCodePage936(text));
    }
    ASSERT_EQ(Purges(log).size(), 1u);
    EXPECT_LT(requests.back().seq, Purges(log)[0].seq) << "the stop overtook a start";
    // Whatever had begun was cut short; nothing after it ever began.
    std::vector<unsigned long long> discarded = DiscardedStreams(log);
    std::vector<std::string> fetched = FetchedEvents(log);
    if (fetched.empty()) {
        EXPECT_EQ(discarded, Streams(1, kStarts));
    } else {
        EXPECT_EQ(fetched, (std::vector<std::string>{"1/1", "2/1"}));
        EXPECT_EQ(discarded, Streams(2, kStarts));
    }
    EXPECT_EQ(CallsTo(log, "@StartStream").size(), fetched.size() / 2);
    EXPECT_TRUE(Answers(Window(), 5000));
    EXPECT_EQ(CloseAndWaitForExit(), std::optional<DWORD>(0));
}

} // namespace
