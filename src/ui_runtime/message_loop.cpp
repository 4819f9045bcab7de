#include "message_loop.h"

#include <windows.h>

#include "window_loader.h"

void RtRunMessageLoop()
{
    if (RtLiveWindowCount() == 0)
        return;
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        // Dialog-style keyboard handling gives Tab and Shift+Tab between the controls.
        HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
        if (root && IsDialogMessageA(root, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}
