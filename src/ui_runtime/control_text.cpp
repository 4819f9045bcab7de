#include "control_text.h"

#include <windows.h>

#include "allocator.h"
#include "control_registry.h"

char* RtGetControlText(int windowId, int controlId)
{
    HWND hwnd = RtControlHandle(RtFindControl(windowId, controlId));
    if (!hwnd)
        return nullptr;
    // The length may be over-estimated for double-byte text, never under-estimated.
    int length = GetWindowTextLengthA(hwnd);
    auto* text = static_cast<char*>(RtAlloc(static_cast<std::size_t>(length) + 1));
    GetWindowTextA(hwnd, text, length + 1);
    return text;
}
