#pragma once
#include <windows.h>

struct ControlTemplate;

// The run time's record of a control. Records live until the process ends, so a
// pointer to one never dangles; hwnd reads null once the control is destroyed.
struct RtControl {
    int windowId;
    int controlId;
    HWND hwnd;
    const ControlTemplate* tmpl;
    RtControl* next;
};

RtControl* RtRegisterControl(int windowId, const ControlTemplate& tmpl, HWND hwnd);

// The live control named by the pair, or null when there is none (also before the
// run time is initialised, and once the control's window is gone).
RtControl* RtFindControl(int windowId, int controlId);

// The native handle of a control object; null when the control no longer exists.
HWND RtControlHandle(const RtControl* control);
