#include "user_input.h"

#include <cstring>

bool Click(HWND button, DWORD timeoutMs)
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(button, BM_CLICK, 0, 0, SMTO_NORMAL, timeoutMs, &result) != 0;
}

void ClickWithoutWaiting(HWND button)
{
    PostMessageA(button, BM_CLICK, 0, 0);
}

void ClickAt(HWND control, int x, int y)
{
    PostMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    PostMessageA(control, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

void PressKey(HWND focused, UINT virtualKey)
{
    LPARAM scanCode = static_cast<LPARAM>(MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC)) << 16;
    PostMessageA(focused, WM_KEYDOWN, virtualKey, scanCode | 1);
    PostMessageA(focused, WM_KEYUP, virtualKey, scanCode | 1 | (LPARAM{3} << 30));
}

void TypeCharacters(HWND control, const std::string& ascii)
{
    for (unsigned char c : ascii)
        PostMessageA(control, WM_CHAR, c, 1);
}

bool SetText(HWND control, const std::string& text)
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL,
                               30000, &result) &&
           result == TRUE;
}

bool CopyToClipboard(const std::string& text)
{
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    if (!memory)
        return false;
    std::memcpy(GlobalLock(memory), text.c_str(), text.size() + 1);
    GlobalUnlock(memory);
    // Another process may hold the clipboard for a moment.
    bool opened = WaitUntil([] { return OpenClipboard(nullptr) != 0; }, 5000);
    if (!opened) {
        GlobalFree(memory);
        return false;
    }
    EmptyClipboard();
    bool placed = SetClipboardData(CF_TEXT, memory) != nullptr;
    CloseClipboard();
    if (!placed)
        GlobalFree(memory);
    return placed;
}

bool PasteOverAll(HWND edit, DWORD timeoutMs)
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(edit, EM_SETSEL, 0, -1, SMTO_NORMAL, timeoutMs, &result) &&
           SendMessageTimeoutA(edit, WM_PASTE, 0, 0, SMTO_NORMAL, timeoutMs, &result);
}

bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs, DWORD pollMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        if (done())
            return true;
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(pollMs);
    }
}
