// The edit box as the user meets it: the notice it starts with, how it lays text out,
// typing into it and pasting a long narration.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "expected_texts.h"
#include "long_text.h"
#include "program_fixture.h"
#include "window_facts.h"

namespace {

using EditBoxTest = ProgramTest;

// A position past any text: the box puts the caret at the end.
constexpr int kEndOfText = 0x7FFFFFFF;

LRESULT Ask(HWND edit, UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
{
    DWORD_PTR result = 0;
    SendMessageTimeoutA(edit, message, wParam, lParam, SMTO_NORMAL, 10000, &result);
    return static_cast<LRESULT>(result);
}

// Every character of every visual line starts inside the box's client area: nothing is
// hidden to the right, so long lines are wrapped at the box's width.
void ExpectEveryLineWithinTheWidth(HWND edit)
{
    RECT client = {};
    GetClientRect(edit, &client);
    LRESULT lines = Ask(edit, EM_GETLINECOUNT);
    for (LRESULT line = 0; line < lines; ++line) {
        LRESULT start = Ask(edit, EM_LINEINDEX, line);
        LRESULT length = Ask(edit, EM_LINELENGTH, start);
        if (length == 0)
            continue;
        LRESULT last = Ask(edit, EM_POSFROMCHAR, start + length - 1);
        int x = static_cast<short>(LOWORD(last));
        EXPECT_GE(x, 0) << "line " << line;
        EXPECT_LT(x, client.right) << "line " << line;
    }
}

TEST_F(EditBoxTest, StartsWithTheWholeNotice)
{
    ASSERT_NO_FATAL_FAILURE(Launch());
    std::optional<std::string> text = TextOf(EditBox());
    ASSERT_TRUE(text);
    EXPECT_EQ(text->size(), kNoticeBytes);
    ASSERT_EQ(text->rfind(kNoticeBeforeAddress, 0), 0u) << *text;
    std::size_t addressEnd = text->find("”");
    ASSERT_NE(addressEnd, std::string::npos);
    EXPECT_EQ(text->substr(addressEnd), kNoticeAfterAddress);
    std::string address = text->substr(std::strlen(kNoticeBeforeAddress), addressEnd - std::strlen(kNoticeBeforeAddress));
    EXPECT_EQ(address.rfind("http", 0), 0u) << address;
    EXPECT_EQ(address.find_first_of("\r\n "), std::string::npos) << address;
}

TEST_F(EditBoxTest, ShowsTheNoticeWrappedAtItsWidth)
{
    ASSERT_NO_FATAL_FAILURE(Launch());
    HWND edit = EditBox();
    ASSERT_NE(edit, nullptr);
    EXPECT_GE(Ask(edit, EM_GETLINECOUNT), 11);
    ExpectEveryLineWithinTheWidth(edit);
}

TEST_F(EditBoxTest, WrapsALongLineInsteadOfScrollingSideways)
{
    ASSERT_NO_FATAL_FAILURE(Launch());
    HWND edit = EditBox();
    ASSERT_NE(edit, nullptr);
    std::string line;
    for (int i = 0; i < 12; ++i)
        line += "这是一句没有换行的长句子，";
    ASSERT_TRUE(SetText(edit, line));
    EXPECT_GT(Ask(edit, EM_GETLINECOUNT), 2);
    // The caret at the end: a box that scrolled sideways would move the start out of view.
    LRESULT startBefore = Ask(edit, EM_POSFROMCHAR, 0);
    Ask(edit, EM_SETSEL, kEndOfText, kEndOfText);
    Ask(edit, EM_SCROLLCARET);
    EXPECT_EQ(static_cast<short>(LOWORD(Ask(edit, EM_POSFROMCHAR, 0))), static_cast<short>(LOWORD(startBefore)));
    ExpectEveryLineWithinTheWidth(edit);
}

TEST_F(EditBoxTest, TypingEditsTheTextAndEnterBreaksTheLine)
{
    ASSERT_NO_FATAL_FAILURE(Launch());
    HWND edit = EditBox();
    ASSERT_NE(edit, nullptr);
    ASSERT_TRUE(SetText(edit, ""));
    TypeCharacters(edit, "Abc");
    ASSERT_TRUE(WaitUntil([&] { return TextOf(edit) == std::string("Abc"); }, 5000)) << TextOf(edit).value_or("");
    // Enter goes through the program's keyboard handling, which must leave it to the box.
    PressKey(edit, VK_RETURN);
    ASSERT_TRUE(WaitUntil([&] { return TextOf(edit) == std::string("Abc\r\n"); }, 5000))
        << TextOf(edit).value_or("");
    TypeCharacters(edit, "dEF");
    EXPECT_TRUE(WaitUntil([&] { return TextOf(edit) == std::string("Abc\r\ndEF"); }, 5000))
        << TextOf(edit).value_or("");
}

TEST_F(EditBoxTest, FollowsTheCaretDownPastTheLastVisibleLine)
{
    ASSERT_NO_FATAL_FAILURE(Launch());
    HWND edit = EditBox();
    ASSERT_NE(edit, nullptr);
    std::string text;
    for (int i = 1; i <= 40; ++i)
        text += "第" + std::to_string(i) + "行\r\n";
    text += "end";
    ASSERT_TRUE(SetText(edit, text));
    ASSERT_EQ(Ask(edit, EM_GETFIRSTVISIBLELINE), 0);
    ClickAt(edit, 5, 5);
    ASSERT_TRUE(WaitUntil([&] { return FocusedControlOf(Window()) == edit; }, 5000));
    Ask(edit, EM_SETSEL, kEndOfText, kEndOfText);
    PressKey(edit, VK_RETURN);
    ASSERT_TRUE(WaitUntil([&] { return TextOf(edit) == text + "\r\n"; }, 5000));
    TypeCharacters(edit, "x");
    ASSERT_TRUE(WaitUntil([&] { return TextOf(edit) == text + "\r\nx"; }, 5000));
    EXPECT_GT(Ask(edit, EM_GETFIRSTVISIBLELINE), 0);
}

TEST_F(EditBoxTest, HoldsAPastedNarrationFarBeyondTheDefaultLimit)
{
    ASSERT_NO_FATAL_FAILURE(Launch());
    HWND edit = EditBox();
    ASSERT_NE(edit, nullptr);
    EXPECT_GT(static_cast<DWORD_PTR>(Ask(edit, EM_GETLIMITTEXT)), 100000u);
    const std::string narration = LongNarration(100000);
    ASSERT_TRUE(CopyToClipboard(narration));
    ASSERT_TRUE(PasteOverAll(edit));
    std::optional<std::string> held = TextOf(edit);
    ASSERT_TRUE(held);
    EXPECT_EQ(held->size(), narration.size());
    EXPECT_TRUE(*held == narration) << "the pasted text came back changed";
}

} // namespace
