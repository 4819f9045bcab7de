// The controls of the main window as an assistive tool sees them: order, class, place,
// caption, styles, keyboard order and the font they are drawn in.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "button_rendering.h"
#include "program_fixture.h"
#include "window_facts.h"

namespace {

struct ExpectedControl {
    const char* className;
    const char* caption;  // null: the edit box, whose text is checked on its own
    int left, top, width, height;
};

// In the order of creation, which is also the order of Tab.
const ExpectedControl kExpectedControls[] = {
    {"Button", "恢复发音", 24, 241, 112, 32},
    {"Button", "暂停发音", 24, 185, 112, 32},
    {"Button", "停止发音", 24, 129, 112, 32},
    {"Button", "开始发音", 24, 73, 112, 32},
    {"Edit", nullptr, 152, 17, 400, 256},
    {"Button", "语音环境是否安装", 24, 17, 112, 32},
};
constexpr std::size_t kControlCount = std::size(kExpectedControls);

using ControlsTest = ProgramTest;

std::string Describe(const ExpectedControl& expected)
{
    return expected.caption ? expected.caption : "edit box";
}

TEST_F(ControlsTest, AreCreatedInOrderWithTheirClassPlaceAndCaption)
{
    ASSERT_NO_FATAL_FAILURE(Launch());
    std::vector<HWND> controls = ChildrenOf(Window());
    ASSERT_EQ(controls.size(), kControlCount);
    for (std::size_t i = 0; i < kControlCount; ++i) {
        const ExpectedControl& expected = kExpectedControls[i];
        HWND control = controls[i];
        SCOPED_TRACE(Describe(expected));
        EXPECT_EQ(ClassNameOf(control), expected.className);
        if (expected.caption) {
            EXPECT_EQ(TextOf(control), std::string(expected.caption));
        }
        RECT rect = RectInParent(control);
        EXPECT_EQ(rect.left, expected.left);
        EXPECT_EQ(rect.top, expected.top);
        EXPECT_EQ(rect.right - rect.left, expected.width);
        EXPECT_EQ(rect.bottom - rect.top, expected.height);
        EXPECT_EQ(GetParent(control), Window());
        EXPECT_TRUE(IsWindowVisible(control));
        EXPECT_TRUE(IsWindowEnabled(control));
        EXPECT_TRUE(StyleOf(control) & WS_TABSTOP);
    }
}

TEST_F(ControlsTest, ButtonsArePlainPushButtonsWithCentredCaptions)
{
    ASSERT_NO_FATAL_FAILURE(Launch());
    for (const ExpectedControl& expected : kExpectedControls) {
        if (!expected.caption)
            continue;
        SCOPED_TRACE(expected.caption);
        HWND button = ChildWithText(Window(), "Button", expected.caption);
        ASSERT_NE(button, nullptr);
        DWORD style = StyleOf(button);
        // Not the default button, no picture, not owner-drawn: an ordinary push button.
        EXPECT_EQ(style & BS_TYPEMASK, static_cast<DWORD>(BS_PUSHBUTTON));
        // Push buttons centre their caption both ways unless told otherwise.
        DWORD horizontal = style & BS_CENTER;
        DWORD vertical = style & BS_VCENTER;
        EXPECT_TRUE(horizontal == 0 || horizontal == BS_CENTER) << std::hex << style;
        EXPECT_TRUE(vertical == 0 || vertical == BS_VCENTER) << std::hex << style;
        DWORD known = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_CENTER | BS_VCENTER;
        EXPECT_EQ(style & ~known, 0u) << "unexpected style bits, style 0x" << std::hex << style;
        EXPECT_EQ(ExStyleOf(button), 0u);
    }
}

TEST_F(ControlsTest, EditBoxIsMultiLineWrappingWithVerticalScrollBarAndSunkenEdge)
{
    ASSERT_NO_FATAL_FAILURE(Launch());
    HWND edit = EditBox();
    ASSERT_NE(edit, nullptr);
    // Multi-line, Enter breaks the line, scrolls with the caret vertically only (so lines
    // wrap at the box's width), a vertical scroll bar; left-aligned ordinary input that is
    // not read-only, not masked, not case-converting, and hides its selection when it
    // does not have the focus (no ES_NOHIDESEL).
    DWORD wanted = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL |
                   ES_LEFT;
    EXPECT_EQ(StyleOf(edit), wanted) << std::hex << "style 0x" << StyleOf(edit);
    EXPECT_EQ(ExStyleOf(edit), static_cast<DWORD>(WS_EX_CLIENTEDGE)) << std::hex << "ex style 0x" << ExStyleOf(edit);
    DWORD_PTR passwordChar = 1;
    ASSERT_TRUE(SendMessageTimeoutA(edit, EM_GETPASSWORDCHAR, 0, 0, SMTO_NORMAL, 5000, &passwordChar));
    EXPECT_EQ(passwordChar, 0u);
}

TEST_F(ControlsTest, TabMovesTheFocusThroughTheControlsInCreationOrder)
{
    ASSERT_NO_FATAL_FAILURE(Launch());
    std::vector<HWND> controls = ChildrenOf(Window());
    ASSERT_EQ(controls.size(), kControlCount);
    // Up to the edit box: inside it, Tab belongs to the text.
    for (std::size_t i = 0; i < kControlCount; ++i) {
        SCOPED_TRACE(Describe(kExpectedControls[i]));
        HWND focused = FocusedControlOf(Window());
        PressKey(focused ? focused : Window(), VK_TAB);
        EXPECT_TRUE(WaitUntil([&] { return FocusedControlOf(Window()) == controls[i]; }, 5000))
            << "the focus is on " << FocusedControlOf(Window());
        if (ClassNameOf(controls[i]) == "Edit")
            break;
    }
}

TEST_F(ControlsTest, ButtonsAreDrawnInTheDefaultGuiFont)
{
    ASSERT_NO_FATAL_FAILURE(Launch());
    // Nothing may be hot or focused: the pointer goes to a corner away from every window.
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
    ASSERT_TRUE(Answers(Window(), 5000));
    Sleep(300);
    auto guiFont = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    auto systemFont = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
    for (const ExpectedControl& expected : kExpectedControls) {
        if (!expected.caption)
            continue;
        SCOPED_TRACE(expected.caption);
        HWND button = ChildWithText(Window(), "Button", expected.caption);
        ASSERT_NE(button, nullptr);
        Pixels shown = CaptureWindow(button);
        Pixels inGuiFont = RenderReferenceButton(expected.caption, StyleOf(button), expected.width,
                                                 expected.height, guiFont);
        Pixels inSystemFont = RenderReferenceButton(expected.caption, StyleOf(button), expected.width,
                                                    expected.height, systemFont);
        // The comparison must be able to tell the fonts apart at all.
        ASSERT_GT(DifferingPixels(inGuiFont, inSystemFont), 0);
        EXPECT_EQ(DifferingPixels(shown, inGuiFont), 0);
    }
}

TEST_F(ControlsTest, EditBoxLaysTextOutInTheDefaultGuiFont)
{
    ASSERT_NO_FATAL_FAILURE(Launch());
    HWND edit = EditBox();
    ASSERT_NE(edit, nullptr);
    const std::string sample = "字体ABCabc，123。";
    ASSERT_TRUE(SetText(edit, sample + "\r\n" + sample));

    // Where each character begins, in bytes: an ANSI edit box counts in bytes on some
    // systems and in characters on others; its first line's length tells which.
    std::vector<int> byteOffsets;
    for (const char* p = sample.c_str(); *p; p = CharNextExA(936, p, 0))
        byteOffsets.push_back(static_cast<int>(p - sample.c_str()));
    DWORD_PTR firstLineLength = 0;
    SendMessageTimeoutA(edit, EM_LINELENGTH, 0, 0, SMTO_NORMAL, 5000, &firstLineLength);
    bool countsBytes = firstLineLength == sample.size();
    ASSERT_TRUE(countsBytes || firstLineLength == byteOffsets.size()) << firstLineLength;

    HDC screen = GetDC(nullptr);
    auto layoutIn = [&](HFONT font) {
        // Where each character starts, from the first one, then the distance between lines.
        HGDIOBJ previous = SelectObject(screen, font);
        std::vector<int> layout;
        for (int offset : byteOffsets) {
            SIZE size = {};
            GetTextExtentPoint32A(screen, sample.c_str(), offset, &size);
            layout.push_back(size.cx);
        }
        TEXTMETRICA metrics = {};
        GetTextMetricsA(screen, &metrics);
        SelectObject(screen, previous);
        layout.push_back(metrics.tmHeight);
        return layout;
    };
    std::vector<int> inGuiFont = layoutIn(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
    std::vector<int> inSystemFont = layoutIn(static_cast<HFONT>(GetStockObject(SYSTEM_FONT)));
    ReleaseDC(nullptr, screen);
    ASSERT_NE(inGuiFont, inSystemFont) << "the fonts cannot be told apart here";

    auto positionOf = [&](WPARAM index) {
        DWORD_PTR position = 0;
        SendMessageTimeoutA(edit, EM_POSFROMCHAR, index, 0, SMTO_NORMAL, 5000, &position);
        return POINT{static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
    };
    DWORD_PTR secondLine = 0;
    SendMessageTimeoutA(edit, EM_LINEINDEX, 1, 0, SMTO_NORMAL, 5000, &secondLine);
    POINT first = positionOf(0);
    std::vector<int> shown;
    for (std::size_t i = 0; i < byteOffsets.size(); ++i)
        shown.push_back(positionOf(countsBytes ? byteOffsets[i] : i).x - first.x);
    shown.push_back(positionOf(secondLine).y - first.y);
    EXPECT_EQ(shown, inGuiFont);
}

} // namespace
