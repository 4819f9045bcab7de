#include "control_registry.h"

#include "allocator.h"
#include "window_template.h"

namespace {
RtControl* gFirstControl = nullptr;
}

RtControl* RtRegisterControl(int windowId, const ControlTemplate& tmpl, HWND hwnd)
{
    auto* control = static_cast<RtControl*>(RtAlloc(sizeof(RtControl)));
    control->windowId = windowId;
    control->controlId = tmpl.id;
    control->hwnd = hwnd;
    control->tmpl = &tmpl;
    control->next = gFirstControl;
    gFirstControl = control;
    return control;
}

RtControl* RtFindControl(int windowId, int controlId)
{
    for (RtControl* control = gFirstControl; control; control = control->next) {
        if (control->hwnd && control->windowId == windowId && control->controlId == controlId)
            return control;
    }
    return nullptr;
}

HWND RtControlHandle(const RtControl* control)
{
    return control ? control->hwnd : nullptr;
}
