#include "window_loader.h"

#include <commctrl.h>

#include <new>

#include "control_registry.h"
#include "event_dispatch.h"
#include "run_time_error.h"

namespace {

constexpr char kWindowClassName[] = "VexlorinWindow";

struct LoadedWindow {
    const WindowTemplate* tmpl;
};

int gLiveWindows = 0;

LRESULT CALLBACK TemplateWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* window = reinterpret_cast<LoadedWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    switch (message) {
    case WM_NCCREATE: {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        ++gLiveWindows;
        break;
    }
    case WM_COMMAND:
        if (window && HIWORD(wParam) == BN_CLICKED && lParam)
            RtDispatchClick(*window->tmpl, LOWORD(wParam));
        return 0;
    case WM_NCDESTROY:
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        delete window;
        if (--gLiveWindows == 0)
            PostThreadMessageA(GetCurrentThreadId(), WM_NULL, 0, 0);  // wakes the message loop to see it
        break;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

// Controls are subclassed so that a speech event sent to one reaches the program,
// and so that its record forgets the handle when the control is destroyed.
LRESULT CALLBACK ControlSubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR subclassId, DWORD_PTR refData)
{
    auto* control = reinterpret_cast<RtControl*>(refData);
    switch (message) {
    case WM_TTS_EVENT:
        RtDispatchSpeechEvent(*control->tmpl, wParam);
        return 0;
    case WM_NCDESTROY:
        control->hwnd = nullptr;
        RemoveWindowSubclass(hwnd, ControlSubclassProc, subclassId);
        break;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

bool RegisterTemplateWindowClass(HINSTANCE instance)
{
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    if (GetClassInfoExA(instance, kWindowClassName, &wc))
        return true;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = TemplateWindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(1));
    if (!wc.hIcon)
        wc.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kWindowClassName;
    return RegisterClassExA(&wc) != 0;
}

bool CreateControls(HWND parent, const WindowTemplate& tmpl, HFONT font, HINSTANCE instance)
{
    for (std::size_t i = 0; i < tmpl.controlCount; ++i) {
        const ControlTemplate& c = tmpl.controls[i];
        HWND hwnd = CreateWindowExA(c.exStyle, c.className, c.caption, c.style | WS_CHILD,
                                    c.left, c.top, c.width, c.height, parent,
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), instance,
                                    nullptr);
        if (!hwnd)
            return false;
        SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        if (lstrcmpiA(c.className, "EDIT") == 0)
            SendMessageA(hwnd, EM_SETLIMITTEXT, 0, 0);  // edit boxes of templates have no length limit
        RtControl* control = RtRegisterControl(tmpl.id, c, hwnd);
        SetWindowSubclass(hwnd, ControlSubclassProc, 1, reinterpret_cast<DWORD_PTR>(control));
    }
    return true;
}

void CentreOnScreen(HWND hwnd, const WindowTemplate& tmpl)
{
    int left = (GetSystemMetrics(SM_CXSCREEN) - tmpl.width) / 2;
    int top = (GetSystemMetrics(SM_CYSCREEN) - tmpl.height) / 2;
    SetWindowPos(hwnd, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace

HWND RtLoadWindow(const WindowTemplate& tmpl)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    HWND hwnd = nullptr;
    if (RegisterTemplateWindowClass(instance)) {
        auto* window = new (std::nothrow) LoadedWindow{&tmpl};
        if (window) {
            hwnd = CreateWindowExA(tmpl.exStyle, kWindowClassName, tmpl.title, tmpl.style, tmpl.left,
                                   tmpl.top, tmpl.width, tmpl.height, nullptr, nullptr, instance,
                                   window);
            if (!hwnd)
                delete window;
        }
    }
    HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    if (!hwnd || !CreateControls(hwnd, tmpl, font, instance)) {
        if (hwnd)
            DestroyWindow(hwnd);
        RtFail("加载启动窗口失败。");
    }
    SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (tmpl.centred)
        CentreOnScreen(hwnd, tmpl);
    RtDispatchCreate(tmpl);
    ShowWindow(hwnd, SW_SHOWNORMAL);
    UpdateWindow(hwnd);
    return hwnd;
}

int RtLiveWindowCount()
{
    return gLiveWindows;
}
