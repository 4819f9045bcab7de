#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "main_window.h"
#include "main_window_ids.h"
#include "texts.h"

namespace {

TEST(MainWindowTemplate, WindowIsFixedCentredAndTitled)
{
    EXPECT_STREQ(MainWindow.title, "Vexlorin----作者：Doramek");
    EXPECT_EQ(MainWindow.width, 580);
    EXPECT_EQ(MainWindow.height, 324);
    EXPECT_EQ(MainWindow.left, 50);
    EXPECT_EQ(MainWindow.top, 50);
    EXPECT_TRUE(MainWindow.centred);
    EXPECT_EQ(MainWindow.style, DWORD(WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX));
    EXPECT_EQ(MainWindow.exStyle & WS_EX_TOPMOST, 0u);
    EXPECT_NE(MainWindow.onCreate, nullptr);
}

TEST(MainWindowTemplate, ControlsInCreationOrder)
{
    struct Expected {
        int id;
        const char* className;
        const char* caption;
        int left, top, width, height;
        bool clickHandled;
    } expected[] = {
        {按钮_恢复发音, "BUTTON", "恢复发音", 24, 241, 112, 32, true},
        {按钮_暂停发音, "BUTTON", "暂停发音", 24, 185, 112, 32, true},
        {按钮_停止发音, "BUTTON", "停止发音", 24, 129, 112, 32, true},
        {按钮_开始发音, "BUTTON", "开始发音", 24, 73, 112, 32, true},
        {编辑框_发音文本, "EDIT", kNotice, 152, 17, 400, 256, false},
        {按钮_是否可用, "BUTTON", "语音环境是否安装", 24, 17, 112, 32, true},
    };
    ASSERT_EQ(MainWindow.controlCount, std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        const ControlTemplate& c = MainWindow.controls[i];
        const Expected& e = expected[i];
        SCOPED_TRACE(e.caption);
        EXPECT_EQ(c.id, e.id);
        EXPECT_STREQ(c.className, e.className);
        EXPECT_STREQ(c.caption, e.caption);
        EXPECT_EQ(c.left, e.left);
        EXPECT_EQ(c.top, e.top);
        EXPECT_EQ(c.width, e.width);
        EXPECT_EQ(c.height, e.height);
        EXPECT_EQ(c.onClick != nullptr, e.clickHandled);
        EXPECT_EQ(c.style & (WS_VISIBLE | WS_TABSTOP | WS_DISABLED), DWORD(WS_VISIBLE | WS_TABSTOP));
        if (std::strcmp(e.className, "BUTTON") == 0) {
            EXPECT_EQ(c.style & BS_TYPEMASK, DWORD(BS_PUSHBUTTON)) << "no default button";
        }
    }
}

TEST(MainWindowTemplate, EditBoxIsAMultiLineWrappingNoticeBox)
{
    const ControlTemplate& edit = MainWindow.controls[4];
    DWORD wanted = ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | WS_VSCROLL;
    DWORD unwanted = ES_AUTOHSCROLL | WS_HSCROLL | ES_READONLY | ES_PASSWORD | ES_UPPERCASE | ES_LOWERCASE |
                     ES_NUMBER | ES_NOHIDESEL | ES_CENTER | ES_RIGHT;
    EXPECT_EQ(edit.style & wanted, wanted);
    EXPECT_EQ(edit.style & unwanted, 0u);
    EXPECT_EQ(edit.exStyle, DWORD(WS_EX_CLIENTEDGE));
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    lines.push_back(text.substr(start));
    return lines;
}

TEST(Texts, NoticeIs315BytesInElevenLines)
{
    std::string notice = kNotice;
    EXPECT_EQ(notice.size(), 315u);
    auto lines = Lines(notice);
    ASSERT_EQ(lines.size(), 11u);
    for (int empty : {0, 2, 4, 6, 8, 9})
        EXPECT_EQ(lines[empty], "") << empty;
    EXPECT_EQ(lines[1], "注意：系统中必须安装微软的语音引擎组件包，否则无法使用。");
    EXPECT_EQ(lines[3].rfind("下载地址：“http", 0), 0u);
    EXPECT_EQ(lines[3].substr(lines[3].size() - 2), "”");
    EXPECT_EQ(lines[5], "注意SpeechSDK51和SpeechSDK51LangPack两个文件都要下载安装");
    EXPECT_EQ(lines[7], "说明：WIN8.1以上系统默认已经带有语音引擎了，是不需要在安装的");
    EXPECT_EQ(lines[10], " =========开始录像用语音读文本的时候，请删除本文本============");
}

TEST(Texts, AreCodePage936Bytes)
{
    // "恭" is B9 A7 in code page 936; a UTF-8 build would give E6 81 AD.
    EXPECT_EQ(std::string(kEngineAvailableMessage).substr(0, 2), "\xB9\xA7");
    EXPECT_STREQ(kEngineAvailableMessage, "恭喜您的系统已经安装语音引擎了！");
    EXPECT_STREQ(kNoEngineMessage, "您的系统没有语音引擎，请下载安装，否则无法使用！");
}

} // namespace
