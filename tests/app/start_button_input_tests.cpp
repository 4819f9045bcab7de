// What reaches the engine when the start button is clicked with awkward text in the box.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "globals.h"
#include "main_window.h"
#include "main_window_ids.h"
#include "test_voice.h"
#include "ui_runtime/control_registry.h"
#include "ui_runtime/message_loop.h"
#include "ui_runtime/window_loader.h"

namespace {

class StartButtonInputTest : public testing::Test {
protected:
    void SetUp() override
    {
        test_voice::Reset();
        test_voice::SetMsPerChar(0);
        InitGlobals();
        window = RtLoadWindow(MainWindow);
        edit = RtControlHandle(RtFindControl(kMainWindowId, 编辑框_发音文本));
        ASSERT_NE(edit, nullptr);
    }
    void TearDown() override
    {
        DestroyWindow(window);
        RtRunMessageLoop();
        ReleaseGlobals();
        EXPECT_EQ(test_voice::LiveObjectCount(), 0u);
    }
    // The characters the box holds: whatever the box made of the bytes it was given.
    std::wstring BoxText()
    {
        std::wstring text(static_cast<size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
        text.resize(static_cast<size_t>(GetWindowTextW(edit, text.data(), static_cast<int>(text.size()))));
        return text;
    }
    void Click()
    {
        SendMessageA(RtControlHandle(RtFindControl(kMainWindowId, 按钮_开始发音)), BM_CLICK, 0, 0);
    }
    test_voice::Registration registration;
    HWND window = nullptr;
    HWND edit = nullptr;
};

TEST_F(StartButtonInputTest, TheEngineGetsExactlyWhatTheBoxHolds)
{
    struct Case {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"empty", ""},
        {"lone lead byte inside", std::string("ab\x81") + "cd"},
        {"lead byte at the very end", "abc\xD6"},
        {"lead byte before a line break", "\xD6\r\n\xD0\xCE"},
        {"control characters", std::string("a\x01\x07\tb\x1B", 6)},
        {"starts with a tag", "<pitch middle=\"5\">你好</pitch>"},
        {"lone angle bracket", "<"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test_voice::ClearCalls();
        SetWindowTextA(edit, c.bytes.c_str());
        std::wstring held = BoxText();
        Click();
        auto speaks = test_voice::Calls("Speak");
        ASSERT_EQ(speaks.size(), 1u);
        EXPECT_EQ(speaks[0].text, held);
        EXPECT_FALSE(speaks[0].textIsNull);
        EXPECT_EQ(speaks[0].flags, 1u);
    }
}

TEST_F(StartButtonInputTest, SixteenMegabytesArriveWhole)
{
    std::string line = "这是一段很长的旁白文本，用来检查没有被截断。 The narration goes on.\r\n";
    std::string text;
    text.reserve(16u << 20);
    while (text.size() + line.size() <= (16u << 20))
        text += line;
    SetWindowTextA(edit, text.c_str());  // slow under Wine (it wraps every line), about a minute
    ASSERT_EQ(GetWindowTextLengthA(edit), static_cast<int>(text.size()));
    Click();
    auto speaks = test_voice::Calls("Speak");
    ASSERT_EQ(speaks.size(), 1u);
    int expectedChars = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    EXPECT_EQ(speaks[0].text.size(), static_cast<size_t>(expectedChars));
    EXPECT_EQ(speaks[0].text.substr(speaks[0].text.size() - 24), L"The narration goes on.\r\n");
}

} // namespace
