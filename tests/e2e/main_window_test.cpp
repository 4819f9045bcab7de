// The main window as the user finds it: where it opens, its title, its frame, and what
// the title bar lets the user do with it.
#include <windows.h>

#include <gtest/gtest.h>

#include "button_rendering.h"
#include "expected_texts.h"
#include "program_fixture.h"
#include "window_facts.h"

namespace {

using MainWindowTest = ProgramTest;

RECT WindowRect(HWND hwnd)
{
    RECT rect = {};
    GetWindowRect(hwnd, &rect);
    return rect;
}

LRESULT HitTest(HWND hwnd, int x, int y)
{
    DWORD_PTR result = HTNOWHERE;
    SendMessageTimeoutA(hwnd, WM_NCHITTEST, 0, MAKELPARAM(x, y), SMTO_NORMAL, 5000, &result);
    return static_cast<LRESULT>(result);
}

TEST_F(MainWindowTest, OpensCentredOnTheScreenAtItsSizeWithItsTitle)
{
    ASSERT_NO_FATAL_FAILURE(Launch());
    RECT rect = WindowRect(Window());
    EXPECT_EQ(rect.right - rect.left, 580);
    EXPECT_EQ(rect.bottom - rect.top, 324);
    // Centred, not at the position stored with the window (50, 50).
    EXPECT_NEAR(rect.left, (GetSystemMetrics(SM_CXSCREEN) - 580) / 2, 1);
    EXPECT_NEAR(rect.top, (GetSystemMetrics(SM_CYSCREEN) - 324) / 2, 1);

    EXPECT_EQ(ClassNameOf(Window()), kExpectedWindowClass);
    EXPECT_EQ(TextOf(Window()), std::string(kExpectedTitle));
    EXPECT_TRUE(IsWindowVisible(Window()));
    EXPECT_TRUE(IsWindowEnabled(Window()));
    EXPECT_FALSE(IsIconic(Window()));
    EXPECT_FALSE(IsZoomed(Window()));
}

TEST_F(MainWindowTest, HasAFixedFrameWithTitleBarSystemMenuAndMinimiseOnly)
{
    ASSERT_NO_FATAL_FAILURE(Launch());
    DWORD style = StyleOf(Window());
    EXPECT_EQ(style & WS_CAPTION, static_cast<DWORD>(WS_CAPTION));
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME);
    EXPECT_FALSE(style & (WS_POPUP | WS_CHILD));
    DWORD exStyle = ExStyleOf(Window());
    EXPECT_FALSE(exStyle & WS_EX_TOPMOST);
    EXPECT_FALSE(exStyle & (WS_EX_TOOLWINDOW | WS_EX_DLGMODALFRAME | WS_EX_LAYOUTRTL));
}

TEST_F(MainWindowTest, FrameOffersNoSizingAndTheTitleBarMovesIt)
{
    ASSERT_NO_FATAL_FAILURE(Launch());
    RECT rect = WindowRect(Window());
    POINT client = {0, 0};
    ClientToScreen(Window(), &client);
    int midX = (rect.left + rect.right) / 2;
    int midY = (rect.top + rect.bottom) / 2;
    struct EdgePoint {
        const char* where;
        int x, y;
    };
    const EdgePoint edges[] = {
        {"left edge", rect.left, midY},          {"right edge", rect.right - 1, midY},
        {"bottom edge", midX, rect.bottom - 1},  {"top edge", midX, rect.top},
        {"bottom-right", rect.right - 1, rect.bottom - 1}, {"top-left", rect.left, rect.top},
    };
    for (const EdgePoint& edge : edges) {
        SCOPED_TRACE(edge.where);
        // HTBORDER: a border that cannot be dragged to resize.
        EXPECT_EQ(HitTest(Window(), edge.x, edge.y), HTBORDER);
    }
    // Dragging the title bar moves the window.
    EXPECT_EQ(HitTest(Window(), midX, (rect.top + client.y) / 2), HTCAPTION);
}

TEST_F(MainWindowTest, DoubleClickOnTheTitleDoesNotMaximiseButMinimiseAndRestoreWork)
{
    ASSERT_NO_FATAL_FAILURE(Launch());
    RECT before = WindowRect(Window());
    POINT client = {0, 0};
    ClientToScreen(Window(), &client);
    DWORD_PTR result = 0;
    ASSERT_TRUE(SendMessageTimeoutA(Window(), WM_NCLBUTTONDBLCLK, HTCAPTION,
                                    MAKELPARAM((before.left + before.right) / 2, (before.top + client.y) / 2),
                                    SMTO_NORMAL, 5000, &result));
    EXPECT_FALSE(IsZoomed(Window()));
    RECT after = WindowRect(Window());
    EXPECT_TRUE(EqualRect(&before, &after));

    ASSERT_TRUE(SendMessageTimeoutA(Window(), WM_SYSCOMMAND, SC_MINIMIZE, 0, SMTO_NORMAL, 5000, &result));
    EXPECT_TRUE(WaitUntil([&] { return IsIconic(Window()) != 0; }, 5000));
    ASSERT_TRUE(SendMessageTimeoutA(Window(), WM_SYSCOMMAND, SC_RESTORE, 0, SMTO_NORMAL, 5000, &result));
    EXPECT_TRUE(WaitUntil([&] { return !IsIconic(Window()); }, 5000));
    after = WindowRect(Window());
    EXPECT_TRUE(EqualRect(&before, &after));
}

TEST_F(MainWindowTest, BackgroundIsTheSystemFaceColour)
{
    ASSERT_NO_FATAL_FAILURE(Launch());
    ASSERT_TRUE(Answers(Window(), 5000));
    UpdateWindow(Window());
    Sleep(300);  // what was painted reaches the screen a moment later
    Pixels window = CaptureWindow(Window());
    POINT client = {0, 0};
    ClientToScreen(Window(), &client);
    RECT rect = WindowRect(Window());
    // A point of the client area that no control covers: left of the buttons.
    int x = client.x - rect.left + 8;
    int y = client.y - rect.top + 150;
    ASSERT_LT(y * window.width + x, static_cast<int>(window.rgb.size()));
    DWORD pixel = window.rgb[y * window.width + x];
    auto screenColour = [](int index) {
        COLORREF c = GetSysColor(index);
        return static_cast<DWORD>(GetRValue(c)) << 16 | static_cast<DWORD>(GetGValue(c)) << 8 | GetBValue(c);
    };
    // The default colour of a form-like window is the 3D face colour; the plain window
    // colour would also be the system's own, anything else is not.
    EXPECT_TRUE(pixel == screenColour(COLOR_BTNFACE) || pixel == screenColour(COLOR_WINDOW))
        << std::hex << "pixel 0x" << pixel << ", face 0x" << screenColour(COLOR_BTNFACE) << ", window 0x"
        << screenColour(COLOR_WINDOW);
}

} // namespace
