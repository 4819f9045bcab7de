#include "message_loop.h"

#include <windows.h>

#include "window_loader.h"

void RtRunMessageLoop()
{
    // Windows are destroyed while a message is dispatched, so the count is looked at
    // after each one; no quit message is left behind for a later modal loop to find.
    MSG msg;
    while (RtLiveWindowCount() > 0 && GetMessageA(&msg, nullptr, 0, 0) > 0) {
        // Dialog-style keyboard handling gives Tab and Shift+Tab between the controls.
        HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
        if (root && IsDialogMessageA(root, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}
