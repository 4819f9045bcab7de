#include "event_dispatch.h"

namespace {

template <typename Handler, typename... Args>
void CallGuarded(Handler handler, Args... args)
{
    if (!handler)
        return;
    try {
        handler(args...);
    } catch (...) {
        // A handler's failure must not unwind through the system's window code.
    }
}

} // namespace

void RtDispatchCreate(const WindowTemplate& tmpl)
{
    CallGuarded(tmpl.onCreate);
}

void RtDispatchClick(const WindowTemplate& tmpl, int controlId)
{
    for (std::size_t i = 0; i < tmpl.controlCount; ++i) {
        if (tmpl.controls[i].id == controlId) {
            CallGuarded(tmpl.controls[i].onClick);
            return;
        }
    }
}

void RtDispatchSpeechEvent(const ControlTemplate& control, WPARAM eventId)
{
    CallGuarded(control.onSpeechEvent, eventId);
}
