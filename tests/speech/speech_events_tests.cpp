#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <vector>

#include "speech/text_to_speech.h"
#include "test_voice.h"
#include "ui_runtime/control_registry.h"
#include "ui_runtime/message_loop.h"
#include "ui_runtime/runtime_init.h"
#include "ui_runtime/window_loader.h"

namespace {

constexpr int kWindowId = 3;
constexpr int kReceiverId = 30;
constexpr int kOtherId = 31;

struct Received {
    int control;
    WPARAM eventId;
    LPARAM lParam;
    size_t stillQueued;  // events left in the voice when the message arrived
};
std::vector<Received> gReceived;

LRESULT CALLBACK RecordSpeechEvents(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR id)
{
    if (message == WM_TTS_EVENT) {
        auto voices = test_voice::Voices();
        gReceived.push_back({static_cast<int>(id), wParam, lParam, voices.empty() ? 0 : voices[0].queuedEvents});
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

const ControlTemplate kControls[] = {
    {kReceiverId, "EDIT", "", 0, 0, 100, 100, WS_VISIBLE | ES_MULTILINE, 0, nullptr, nullptr},
    {kOtherId, "EDIT", "", 0, 100, 100, 100, WS_VISIBLE | ES_MULTILINE, 0, nullptr, nullptr},
};
const WindowTemplate kWindow = {kWindowId, "receiver", 0, 0, 300, 300, false, WS_OVERLAPPEDWINDOW, 0, nullptr,
                                kControls, 2};

class SpeechEventsTest : public testing::Test {
protected:
    static void SetUpTestSuite() { RtInit(); }
    void SetUp() override
    {
        test_voice::Reset();
        gReceived.clear();
        window = RtLoadWindow(kWindow);
        for (int id : {kReceiverId, kOtherId})
            SetWindowSubclass(RtControlHandle(RtFindControl(kWindowId, id)), RecordSpeechEvents, 99, id);
        Construct(tts);
        ASSERT_TRUE(IsAvailable(tts));
    }
    void TearDown() override
    {
        Destroy(tts);
        if (IsWindow(window))
            DestroyWindow(window);
        RtRunMessageLoop();
        EXPECT_EQ(test_voice::LiveObjectCount(), 0u);
    }
    // Lets the voice speak everything and its notifications reach the callback.
    void SpeakAndDeliver(int requests)
    {
        for (int i = 0; i < requests; ++i)
            ASSERT_TRUE(Speak(tts, SpeakPlainText, "abc", std::nullopt, ControlAddress{kWindowId, kReceiverId}));
        ASSERT_TRUE(test_voice::WaitIdle());
        test_voice::PumpMessagesUntil([] { return test_voice::Voices()[0].queuedEvents == 0; }, 2000);
        test_voice::PumpPendingMessages();
    }
    test_voice::Registration registration;
    ETextToSpeech tts{};
    HWND window = nullptr;
};

TEST_F(SpeechEventsTest, EachRequestSendsStartThenEndOneMessageAtATime)
{
    SpeakAndDeliver(2);
    ASSERT_EQ(gReceived.size(), 4u);
    const WPARAM expected[] = {1, 2, 1, 2};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(gReceived[i].control, kReceiverId);
        EXPECT_EQ(gReceived[i].eventId, expected[i]) << i;
        EXPECT_EQ(gReceived[i].lParam, 0) << i;
    }
    // Fetched one by one: each message arrives before the next event is taken.
    for (size_t i = 1; i < gReceived.size(); ++i)
        EXPECT_LE(gReceived[i].stillQueued, gReceived[i - 1].stillQueued);
    for (const auto& call : test_voice::Calls("GetEvents"))
        EXPECT_EQ(call.args[0], 1u) << "one event record per call";
}

TEST_F(SpeechEventsTest, WithoutAReceiverEventsStayQueuedInTheVoice)
{
    ASSERT_TRUE(Speak(tts, SpeakPlainText, "abc"));
    ASSERT_TRUE(test_voice::WaitIdle());
    test_voice::PumpMessagesUntil([] { return test_voice::CallCount("@Notify") > 0; }, 2000);
    test_voice::PumpPendingMessages();
    EXPECT_TRUE(gReceived.empty());
    EXPECT_EQ(test_voice::CallCount("GetEvents"), 0u);
    EXPECT_EQ(test_voice::Voices()[0].queuedEvents, 2u);
}

TEST_F(SpeechEventsTest, ReceiverIsKeptUntilAnotherFoundControlIsNamed)
{
    ASSERT_TRUE(Speak(tts, SpeakNothing, "", std::nullopt, ControlAddress{kWindowId, kReceiverId}));
    RtControl* receiver = tts.state->receiver;
    ASSERT_NE(receiver, nullptr);
    Speak(tts, SpeakNothing, "", std::nullopt, ControlAddress{kWindowId, 999});  // unknown: kept
    Speak(tts, SpeakNothing, "", std::nullopt, ControlAddress{999, kOtherId});   // unknown: kept
    Speak(tts, SpeakPlainText, "x");                                             // none named: kept
    Speak(tts, 7, "x", std::nullopt, ControlAddress{kWindowId, kOtherId});       // refused: kept
    EXPECT_EQ(tts.state->receiver, receiver);
    Speak(tts, SpeakNothing, "", std::nullopt, ControlAddress{kWindowId, kOtherId});
    EXPECT_EQ(tts.state->receiver, RtFindControl(kWindowId, kOtherId));
}

TEST_F(SpeechEventsTest, NothingIsSentToADestroyedReceiver)
{
    test_voice::SetMsPerChar(20);
    ASSERT_TRUE(Speak(tts, SpeakPlainText, "abcdefghij", std::nullopt, ControlAddress{kWindowId, kReceiverId}));
    DestroyWindow(window);
    ASSERT_TRUE(test_voice::WaitIdle());
    test_voice::PumpMessagesUntil([] { return test_voice::CallCount("@Notify") > 0; }, 2000);
    test_voice::PumpPendingMessages();
    EXPECT_TRUE(gReceived.empty());
    EXPECT_GT(test_voice::Voices()[0].queuedEvents, 0u);
}

TEST_F(SpeechEventsTest, AFailedFetchEndsTheDelivery)
{
    test_voice::FailMethod("GetEvents", E_FAIL);
    SpeakAndDeliver(1);
    EXPECT_TRUE(gReceived.empty());
    test_voice::ClearFailures();
    SpeakAndDeliver(1);
    EXPECT_EQ(gReceived.size(), 4u) << "the events left queued come with the next notification";
}

TEST_F(SpeechEventsTest, NotificationsArriveOnTheThreadThatConstructed)
{
    SpeakAndDeliver(1);
    for (const auto& call : test_voice::Calls("GetEvents"))
        EXPECT_EQ(call.threadId, GetCurrentThreadId());
}

} // namespace
