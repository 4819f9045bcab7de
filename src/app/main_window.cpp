#include "main_window.h"

#include "main_window_handlers.h"
#include "main_window_ids.h"
#include "texts.h"

namespace {

constexpr DWORD kButtonStyle = WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON | BS_CENTER | BS_VCENTER;
constexpr DWORD kEditStyle = WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | ES_LEFT | ES_MULTILINE |
                             ES_AUTOVSCROLL | ES_WANTRETURN;

const ControlTemplate kMainWindowControls[] = {
    {按钮_恢复发音, "BUTTON", "恢复发音", 24, 241, 112, 32, kButtonStyle, 0, 按钮_恢复发音_被单击, nullptr},
    {按钮_暂停发音, "BUTTON", "暂停发音", 24, 185, 112, 32, kButtonStyle, 0, 按钮_暂停发音_被单击, nullptr},
    {按钮_停止发音, "BUTTON", "停止发音", 24, 129, 112, 32, kButtonStyle, 0, 按钮_停止发音_被单击, nullptr},
    {按钮_开始发音, "BUTTON", "开始发音", 24, 73, 112, 32, kButtonStyle, 0, 按钮_开始发音_被单击, nullptr},
    {编辑框_发音文本, "EDIT", kNotice, 152, 17, 400, 256, kEditStyle, WS_EX_CLIENTEDGE, nullptr, nullptr},
    {按钮_是否可用, "BUTTON", "语音环境是否安装", 24, 17, 112, 32, kButtonStyle, 0, 按钮_是否可用_被单击, nullptr},
};

} // namespace

const WindowTemplate MainWindow = {
    kMainWindowId,
    kMainWindowTitle,
    50, 50, 580, 324,
    true,
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
    0,
    主窗口_创建完毕,
    kMainWindowControls,
    sizeof kMainWindowControls / sizeof kMainWindowControls[0],
};
