#include "button_rendering.h"

namespace {

Pixels CaptureScreenRect(const RECT& rect)
{
    Pixels pixels;
    pixels.width = rect.right - rect.left;
    pixels.height = rect.bottom - rect.top;
    if (pixels.width <= 0 || pixels.height <= 0)
        return pixels;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = pixels.width;
    info.bmiHeader.biHeight = -pixels.height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap) {
        HGDIOBJ previous = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, pixels.width, pixels.height, screen, rect.left, rect.top, SRCCOPY);
        GdiFlush();
        const auto* first = static_cast<const DWORD*>(bits);
        pixels.rgb.assign(first, first + pixels.width * pixels.height);
        for (DWORD& p : pixels.rgb)
            p &= 0x00FFFFFF;
        SelectObject(memory, previous);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

void PumpMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

} // namespace

Pixels CaptureWindow(HWND hwnd)
{
    RECT rect = {};
    GetWindowRect(hwnd, &rect);
    return CaptureScreenRect(rect);
}

Pixels RenderReferenceButton(const std::string& caption, DWORD style, int width, int height, HFONT font)
{
    // The top-left corner of the screen: the program's window is centred, away from it.
    HWND host = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0,
                                width + 20, height + 20, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    HWND button = CreateWindowExA(0, "BUTTON", caption.c_str(), (style & ~WS_TABSTOP) | WS_CHILD | WS_VISIBLE, 10,
                                  10, width, height, host, nullptr, GetModuleHandleA(nullptr), nullptr);
    SendMessageA(button, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    RedrawWindow(host, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpMessages();
    Sleep(200);  // the X server shows what was drawn a moment later
    PumpMessages();
    Pixels pixels = CaptureWindow(button);
    DestroyWindow(host);
    PumpMessages();
    return pixels;
}

int DifferingPixels(const Pixels& a, const Pixels& b)
{
    if (a.width != b.width || a.height != b.height || a.rgb.size() != b.rgb.size())
        return static_cast<int>(a.rgb.size() > b.rgb.size() ? a.rgb.size() : b.rgb.size()) + 1;
    int differing = 0;
    for (std::size_t i = 0; i < a.rgb.size(); ++i) {
        if (a.rgb[i] != b.rgb[i])
            ++differing;
    }
    return differing;
}
