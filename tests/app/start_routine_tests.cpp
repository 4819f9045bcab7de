#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "globals.h"
#include "main_window.h"
#include "main_window_ids.h"
#include "test_voice.h"
#include "texts.h"
#include "ui_runtime/control_registry.h"
#include "ui_runtime/exit_routines.h"
#include "ui_runtime/message_loop.h"
#include "ui_runtime/start_routine.h"
#include "ui_runtime/window_loader.h"

namespace {

HWND FindMainWindow()
{
    return FindWindowA("VexlorinWindow", kMainWindowTitle);
}

// Runs on a thread of its own: waits for a window of this process and acts on it.
template <typename Find, typename Act>
std::thread WhenWindowAppears(Find find, Act act)
{
    return std::thread([find, act] {
        for (int i = 0; i < 500; ++i) {
            if (HWND hwnd = find()) {
                act(hwnd);
                return;
            }
            Sleep(10);
        }
    });
}

HWND FindMessageBox()
{
    HWND box = FindWindowA("#32770", nullptr);
    DWORD pid = 0;
    if (box)
        GetWindowThreadProcessId(box, &pid);
    // Found once it is shown: its texts are set by then.
    return pid == GetCurrentProcessId() && IsWindowVisible(box) ? box : nullptr;
}

struct MessageBoxSeen {
    std::string text, title;
};

// Reads the message box's text and title, then presses its OK button.
std::thread AnswerMessageBox(MessageBoxSeen& seen)
{
    return WhenWindowAppears(FindMessageBox, [&seen](HWND box) {
        char buffer[256] = {};
        GetDlgItemTextA(box, 0xFFFF, buffer, sizeof buffer);
        seen.text = buffer;
        GetWindowTextA(box, buffer, sizeof buffer);
        seen.title = buffer;
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    });
}

class StartRoutineTest : public testing::Test {
protected:
    void SetUp() override { test_voice::Reset(); }
    test_voice::Registration registration;
};

TEST_F(StartRoutineTest, SpeechObjectLivesFromBeforeTheWindowUntilAfterIt)
{
    std::thread closer = WhenWindowAppears(FindMainWindow, [](HWND hwnd) { PostMessageA(hwnd, WM_CLOSE, 0, 0); });
    EXPECT_EQ(StartRoutine(), 0);
    closer.join();

    EXPECT_EQ(FindMainWindow(), nullptr);
    ASSERT_NE(g_speech, nullptr) << "the speech object outlives the message loop";
    EXPECT_TRUE(IsAvailable(*g_speech));
    // The window's creation handler found the voice already made: its volume call came after.
    auto calls = test_voice::Calls();
    unsigned long created = 0, volume = 0;
    for (const auto& call : calls) {
        if (call.method == "CreateInstance" && call.object == "factory:SpVoice" && !created)
            created = call.seq;
        if (call.method == "SetVolume")
            volume = call.seq;
    }
    EXPECT_NE(created, 0u);
    EXPECT_GT(volume, created);

    RtRunExitRoutines();
    EXPECT_EQ(g_speech, nullptr);
    EXPECT_EQ(test_voice::LiveObjectCount(), 0u) << "every engine reference is released at the end";
    RtRunExitRoutines();  // ReleaseGlobals ran once and is gone
}

TEST_F(StartRoutineTest, WithoutAnEngineTheWindowStillOpensAndCloses)
{
    test_voice::FailCreation(test_voice::Class::Voice);
    std::thread closer = WhenWindowAppears(FindMainWindow, [](HWND hwnd) { PostMessageA(hwnd, WM_CLOSE, 0, 0); });
    EXPECT_EQ(StartRoutine(), 0);
    closer.join();
    ASSERT_NE(g_speech, nullptr);
    EXPECT_FALSE(IsAvailable(*g_speech));
    RtRunExitRoutines();
    EXPECT_EQ(g_speech, nullptr);
}

// The handlers, driven through the window as the run time dispatches them.
class MainWindowHandlersTest : public testing::Test {
protected:
    void SetUp() override
    {
        test_voice::Reset();
        test_voice::SetMsPerChar(0);
    }
    void Open()
    {
        InitGlobals();
        window = RtLoadWindow(MainWindow);
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override
    {
        if (IsWindow(window))
            DestroyWindow(window);
        RtRunMessageLoop();
        ReleaseGlobals();
        EXPECT_EQ(test_voice::LiveObjectCount(), 0u);
    }
    void Click(int id) { SendMessageA(RtControlHandle(RtFindControl(kMainWindowId, id)), BM_CLICK, 0, 0); }
    test_voice::Registration registration;
    HWND window = nullptr;
};

TEST_F(MainWindowHandlersTest, CheckButtonTellsWhetherAnEngineIsInstalled)
{
    struct Case {
        bool engine;
        const char* message;
    } cases[] = {{true, kEngineAvailableMessage}, {false, kNoEngineMessage}};
    for (const Case& c : cases) {
        test_voice::Reset();
        if (!c.engine)
            test_voice::FailCreation(test_voice::Class::Voice);
        Open();
        MessageBoxSeen seen;
        std::thread answer = AnswerMessageBox(seen);
        Click(按钮_是否可用);
        answer.join();
        EXPECT_EQ(seen.text, c.message);
        EXPECT_EQ(seen.title, kMessageBoxTitle);
        DestroyWindow(window);
        RtRunMessageLoop();
        ReleaseGlobals();
    }
}

TEST_F(MainWindowHandlersTest, ButtonsDriveTheVoice)
{
    Open();
    EXPECT_EQ(test_voice::Voices()[0].volume, 100);
    HWND edit = RtControlHandle(RtFindControl(kMainWindowId, 编辑框_发音文本));
    SetWindowTextA(edit, "你好，世界\r\n第二行");
    Click(按钮_开始发音);
    Click(按钮_暂停发音);
    Click(按钮_恢复发音);
    Click(按钮_停止发音);

    auto speaks = test_voice::Calls("Speak");
    ASSERT_EQ(speaks.size(), 2u);
    EXPECT_EQ(speaks[0].text, L"你好，世界\r\n第二行");
    EXPECT_EQ(speaks[0].flags, 1u) << "asynchronous plain text";
    EXPECT_TRUE(speaks[1].textIsNull);
    EXPECT_EQ(speaks[1].flags, 2u) << "stop purges";
    EXPECT_EQ(test_voice::CallCount("Pause"), 1u);
    EXPECT_EQ(test_voice::CallCount("Resume"), 1u);
    EXPECT_EQ(test_voice::CallCount("WaitUntilDone"), 0u) << "the window never waits for speech";
}

TEST_F(MainWindowHandlersTest, StartSpeaksTheTextAtTheMomentOfTheClickAndDrainsEvents)
{
    Open();
    HWND edit = RtControlHandle(RtFindControl(kMainWindowId, 编辑框_发音文本));
    SetWindowTextA(edit, "第一");
    Click(按钮_开始发音);
    SetWindowTextA(edit, "第二");
    Click(按钮_开始发音);
    auto speaks = test_voice::Calls("Speak");
    ASSERT_EQ(speaks.size(), 2u);
    EXPECT_EQ(speaks[0].text, L"第一");
    EXPECT_EQ(speaks[1].text, L"第二");
    ASSERT_TRUE(test_voice::WaitIdle());
    EXPECT_TRUE(test_voice::PumpMessagesUntil([] { return test_voice::CallCount("@EndStream") == 2 &&
                                                          test_voice::Voices()[0].queuedEvents == 0; }))
        << "the edit box receives the events, so none piles up in the voice";
}

TEST_F(MainWindowHandlersTest, EveryButtonIsHarmlessWithoutAnEngine)
{
    test_voice::FailCreation(test_voice::Class::Voice);
    Open();
    for (int id : {按钮_开始发音, 按钮_停止发音, 按钮_暂停发音, 按钮_恢复发音})
        Click(id);
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(test_voice::CallCount("Speak"), 0u);
}

} // namespace
