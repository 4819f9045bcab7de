#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui_runtime/control_registry.h"
#include "ui_runtime/control_text.h"
#include "ui_runtime/allocator.h"
#include "ui_runtime/message_loop.h"
#include "ui_runtime/runtime_init.h"
#include "ui_runtime/window_loader.h"

namespace {

constexpr int kWindowId = 7;
constexpr int kButtonId = 11;
constexpr int kEditId = 12;
constexpr int kPlainId = 13;

std::vector<std::string> gEvents;
HWND gButtonSeenAtCreate = nullptr;

void OnCreate()
{
    gEvents.push_back("create");
    gButtonSeenAtCreate = RtControlHandle(RtFindControl(kWindowId, kButtonId));
}
void OnClick() { gEvents.push_back("click"); }
void OnSpeechEvent(WPARAM id) { gEvents.push_back("speech " + std::to_string(static_cast<INT_PTR>(id))); }
void Throws() { throw 42; }

const ControlTemplate kControls[] = {
    {kButtonId, "BUTTON", "按钮", 10, 20, 100, 30, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, OnClick, nullptr},
    {kEditId, "EDIT", "初始", 120, 5, 200, 150, WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE,
     WS_EX_CLIENTEDGE, nullptr, OnSpeechEvent},
    {kPlainId, "BUTTON", "抛出", 10, 60, 100, 30, WS_VISIBLE | BS_PUSHBUTTON, 0, Throws, nullptr},
};

const WindowTemplate kWindow = {
    kWindowId, "模板窗口", 3, 4, 400, 250, true, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 0,
    OnCreate, kControls, 3,
};

class WindowTemplateTest : public testing::Test {
protected:
    static void SetUpTestSuite() { RtInit(); }
    void SetUp() override
    {
        gEvents.clear();
        window = RtLoadWindow(kWindow);
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override
    {
        if (IsWindow(window))
            DestroyWindow(window);
        RtRunMessageLoop();
    }
    HWND Control(int id) { return RtControlHandle(RtFindControl(kWindowId, id)); }
    HWND window = nullptr;
};

TEST_F(WindowTemplateTest, WindowIsCentredWithTheTemplateSizeAndStyle)
{
    RECT rect;
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.right - rect.left, 400);
    EXPECT_EQ(rect.bottom - rect.top, 250);
    EXPECT_EQ(rect.left, (GetSystemMetrics(SM_CXSCREEN) - 400) / 2);
    EXPECT_EQ(rect.top, (GetSystemMetrics(SM_CYSCREEN) - 250) / 2);
    EXPECT_TRUE(IsWindowVisible(window));
    auto style = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
    EXPECT_EQ(style & (WS_THICKFRAME | WS_MAXIMIZEBOX), 0u);
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX), DWORD(WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX));
    char title[64] = {};
    GetWindowTextA(window, title, sizeof title);
    EXPECT_STREQ(title, "模板窗口");
}

TEST_F(WindowTemplateTest, ControlsFollowTheirTemplatesInCreationOrder)
{
    HFONT guiFont = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    HWND child = GetWindow(window, GW_CHILD);
    for (const ControlTemplate& c : kControls) {
        SCOPED_TRACE(c.id);
        ASSERT_NE(child, nullptr);
        EXPECT_EQ(child, Control(c.id));
        EXPECT_EQ(GetDlgCtrlID(child), c.id);
        RECT rect;
        GetWindowRect(child, &rect);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);
        EXPECT_EQ(rect.left, c.left);
        EXPECT_EQ(rect.top, c.top);
        EXPECT_EQ(rect.right - rect.left, c.width);
        EXPECT_EQ(rect.bottom - rect.top, c.height);
        DWORD wanted = c.style | WS_CHILD;
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(child, GWL_STYLE)) & wanted, wanted);
        EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(child, WM_GETFONT, 0, 0)), guiFont);
        child = GetWindow(child, GW_HWNDNEXT);
    }
    EXPECT_EQ(child, nullptr);
}

TEST_F(WindowTemplateTest, CreationEventComesOnceAfterTheControlsExist)
{
    EXPECT_EQ(gEvents, (std::vector<std::string>{"create"}));
    EXPECT_NE(gButtonSeenAtCreate, nullptr);
}

TEST_F(WindowTemplateTest, ClicksAndSpeechEventsReachTheirHandlers)
{
    SendMessageA(Control(kButtonId), BM_CLICK, 0, 0);
    SendMessageA(Control(kEditId), WM_TTS_EVENT, 1, 0);
    SendMessageA(Control(kEditId), WM_TTS_EVENT, static_cast<WPARAM>(-2), 0);
    SendMessageA(Control(kButtonId), WM_TTS_EVENT, 1, 0);  // no handler bound: ignored
    SendMessageA(Control(kPlainId), BM_CLICK, 0, 0);       // a throwing handler is contained
    EXPECT_EQ(gEvents, (std::vector<std::string>{"create", "click", "speech 1", "speech -2"}));
}

TEST_F(WindowTemplateTest, LookupAnswersNothingForUnknownPairsAndDestroyedControls)
{
    EXPECT_EQ(RtFindControl(kWindowId, 999), nullptr);
    EXPECT_EQ(RtFindControl(999, kButtonId), nullptr);
    RtControl* edit = RtFindControl(kWindowId, kEditId);
    ASSERT_NE(edit, nullptr);
    DestroyWindow(window);
    EXPECT_EQ(RtControlHandle(edit), nullptr);  // the record outlives its window
    EXPECT_EQ(RtFindControl(kWindowId, kEditId), nullptr);
    EXPECT_EQ(RtGetControlText(kWindowId, kEditId), nullptr);
}

TEST_F(WindowTemplateTest, ControlTextIsReadWholeBeyondTheDefaultEditLimit)
{
    std::string text;
    while (text.size() < 100000)
        text += "第一行 line of text 第二段\r\n";
    SetWindowTextA(Control(kEditId), text.c_str());
    char* read = RtGetControlText(kWindowId, kEditId);
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(std::string(read), text);
    RtFree(read);
}

TEST_F(WindowTemplateTest, MessageLoopReturnsWhenTheWindowIsClosed)
{
    PostMessageA(window, WM_CLOSE, 0, 0);
    RtRunMessageLoop();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(RtLiveWindowCount(), 0);
}

} // namespace
