// Closing the window in the middle of things: while a long text is spoken, while it is
// paused, with more requests waiting, before anything began, behind the check button's
// message box. The process ends promptly and gives every engine object back, and the
// edit box, once destroyed, is never again handed an event.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "event_ledger.h"
#include "message_boxes.h"
#include "program_fixture.h"
#include "window_facts.h"

namespace {

// Generous: speaking what is queued would take minutes, so this only tells "ended at
// once" from "waited for the voice".
constexpr DWORD kPromptExitMs = 10000;

enum class Moment {
    Speaking,
    Paused,
    MoreWaiting,      // two more requests queued behind the one being spoken
    PausedBeforeAny,  // paused first: the request never begins
    CheckBoxOpen,     // speaking, with the check button's message box open
    EventsComing,     // many short requests: events arrive while the window goes
};

struct CloseCase {
    const char* name;
    Moment moment;
    const char* msPerChar;
};

void PrintTo(const CloseCase& c, std::ostream* out)
{
    *out << c.name;
}

const CloseCase kCases[] = {
    {"WhileSpeaking", Moment::Speaking, "100"},
    {"WhilePaused", Moment::Paused, "100"},
    {"WithMoreRequestsWaiting", Moment::MoreWaiting, "100"},
    {"PausedBeforeAnythingBegan", Moment::PausedBeforeAny, "100"},
    {"BehindTheCheckButtonsMessageBox", Moment::CheckBoxOpen, "100"},
    {"WhileEventsKeepComing", Moment::EventsComing, "5"},
};

constexpr int kShortRequests = 200;

std::string LongText()
{
    std::string text;
    for (int i = 0; i < 40; ++i)
        text += "窗口关闭的时候这段话还没有读完。\r\n";
    return text;
}

bool StreamStarted(const VoiceLog& log)
{
    return !CallsTo(log, "@StartStream").empty();
}

class CloseWhileSpeakingTest : public VoiceProgramTest, public testing::WithParamInterface<CloseCase> {};

TEST_P(CloseWhileSpeakingTest, EndsPromptlyAndReleasesEverything)
{
    const Moment moment = GetParam().moment;
    // A Chinese voice is chosen, so the voice also holds a voice token that must go.
    ASSERT_NO_FATAL_FAILURE(LaunchWithVoice({{"VEXLORIN_TEST_VOICE_MS_PER_CHAR", GetParam().msPerChar},
                                             {"VEXLORIN_TEST_VOICE_TOKENS", "ZH|Chinese voice"}}));
    HWND edit = EditBox();
    HWND start = Button("开始发音");
    ASSERT_TRUE(SetText(edit, moment == Moment::EventsComing ? "一二三四五" : LongText()));

    if (moment == Moment::PausedBeforeAny) {
        ASSERT_TRUE(Click(Button("暂停发音")));
    }
    ASSERT_TRUE(Click(start));
    if (moment != Moment::PausedBeforeAny) {
        ASSERT_TRUE(WaitForLog(StreamStarted));
    }
    if (moment == Moment::Paused) {
        ASSERT_TRUE(Click(Button("暂停发音")));
    }
    if (moment == Moment::MoreWaiting) {
        ASSERT_TRUE(Click(start));
        ASSERT_TRUE(Click(start));
    }
    if (moment == Moment::EventsComing) {
        for (int i = 1; i < kShortRequests; ++i)
            ClickWithoutWaiting(start);
    }
    if (moment == Moment::CheckBoxOpen) {
        ClickWithoutWaiting(Button("语音环境是否安装"));
        ASSERT_NE(WaitForMessageBox(ProcessId(), kBoxTimeoutMs), nullptr);
    }
    // Let the start event reach the edit box before the close.
    if (moment != Moment::PausedBeforeAny) {
        ASSERT_TRUE(WaitForLog([](const VoiceLog& log) { return !FetchedEvents(log).empty(); }));
    }

    DWORD closing = GetTickCount();
    // The title bar's close; a window behind a modal box ignores that, and is asked to
    // close directly, as the system's "end task" does.
    if (moment == Moment::CheckBoxOpen)
        PostMessageA(Window(), WM_CLOSE, 0, 0);
    else
        PostMessageA(Window(), WM_SYSCOMMAND, SC_CLOSE, 0);
    // The moment the edit box is gone, as closely as an outsider can see it.
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(edit); }, kPromptExitMs, 1));
    unsigned long editGoneBy = Log().calls.empty() ? 0 : Log().calls.back().seq;
    std::optional<DWORD> exitCode = WaitForExit(program, kPromptExitMs);
    DWORD closeMs = GetTickCount() - closing;
    std::printf("close %s: process ended %lu ms after the close\n", GetParam().name, closeMs);
    ASSERT_EQ(exitCode, std::optional<DWORD>(0)) << "did not end normally within " << kPromptExitMs << " ms";

    VoiceLog log = Log();
    // Nothing more was fetched for a receiver that no longer exists.
    for (const VoiceCall& call : CallsTo(log, "GetEvents"))
        EXPECT_LE(call.seq, editGoneBy) << "events fetched after the edit box was destroyed";
    std::vector<std::string> queued = QueuedEvents(log);
    std::vector<std::string> fetched = FetchedEvents(log);
    ASSERT_LE(fetched.size(), queued.size());
    EXPECT_TRUE(std::equal(fetched.begin(), fetched.end(), queued.begin())) << FirstDifference(queued, fetched);
    if (moment == Moment::PausedBeforeAny) {
        EXPECT_TRUE(queued.empty());
    }
    // Speech was cut off by the close, not finished before it.
    if (moment == Moment::EventsComing) {
        EXPECT_LT(CallsTo(log, "@EndStream").size(), static_cast<size_t>(kShortRequests));
    } else {
        EXPECT_TRUE(CallsTo(log, "@EndStream").empty());
    }

    // The voice's last reference goes last, once; every engine object is gone.
    std::vector<VoiceCall> voiceCalls = CallsOn(log, "voice#1");
    ASSERT_FALSE(voiceCalls.empty());
    EXPECT_EQ(voiceCalls.back().method, "Release");
    EXPECT_EQ(voiceCalls.back().Number("refs"), 0u);
    size_t finalReleases = std::count_if(voiceCalls.begin(), voiceCalls.end(), [](const VoiceCall& call) {
        return call.method == "Release" && call.Number("refs") == 0;
    });
    EXPECT_EQ(finalReleases, 1u);
    EXPECT_EQ(LiveObjectsAtUnload(log), std::optional<long>(0)) << "engine objects left alive";
}

INSTANTIATE_TEST_SUITE_P(Moments, CloseWhileSpeakingTest, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<CloseCase>& info) { return std::string(info.param.name); });

} // namespace
