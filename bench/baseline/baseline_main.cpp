// The least a SAPI narrator with this window can do: initialise OLE, create the voice,
// show one window of the same size with the same six controls, and run a message loop.
// No handlers, no voice selection, no event routing. The benchmark measures the program
// against this, so every ratio says what the program adds to the unavoidable.
#include <windows.h>
#include <ole2.h>
#include <sapi.h>

#include "texts.h"

namespace {

constexpr char kClassName[] = "VexlorinBaseline";
constexpr int kWidth = 580;
constexpr int kHeight = 324;

constexpr DWORD kButtonStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON | BS_CENTER | BS_VCENTER;
constexpr DWORD kEditStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | ES_LEFT | ES_MULTILINE |
                             ES_AUTOVSCROLL | ES_WANTRETURN;

struct Control {
    int id;
    const char* className;
    const char* caption;
    int left, top, width, height;
    DWORD style, exStyle;
};

const Control kControls[] = {
    {101, "BUTTON", "恢复发音", 24, 241, 112, 32, kButtonStyle, 0},
    {102, "BUTTON", "暂停发音", 24, 185, 112, 32, kButtonStyle, 0},
    {103, "BUTTON", "停止发音", 24, 129, 112, 32, kButtonStyle, 0},
    {104, "BUTTON", "开始发音", 24, 73, 112, 32, kButtonStyle, 0},
    {105, "EDIT", kNotice, 152, 17, 400, 256, kEditStyle, WS_EX_CLIENTEDGE},
    {106, "BUTTON", "语音环境是否安装", 24, 17, 112, 32, kButtonStyle, 0},
};

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY)
        PostQuitMessage(0);
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    OleInitialize(nullptr);
    ISpVoice* voice = nullptr;
    CoCreateInstance(CLSID_SpVoice, nullptr, CLSCTX_ALL, IID_ISpVoice, reinterpret_cast<void**>(&voice));

    WNDCLASSA wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    RegisterClassA(&wc);

    HWND window = CreateWindowExA(0, kClassName, kMainWindowTitle, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                                  (GetSystemMetrics(SM_CXSCREEN) - kWidth) / 2,
                                  (GetSystemMetrics(SM_CYSCREEN) - kHeight) / 2, kWidth, kHeight, nullptr, nullptr,
                                  instance, nullptr);
    HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    for (const Control& c : kControls) {
        HWND control = CreateWindowExA(c.exStyle, c.className, c.caption, c.style, c.left, c.top, c.width, c.height,
                                       window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), instance, nullptr);
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }

    if (voice)
        voice->Release();
    OleUninitialize();
    return 0;
}
