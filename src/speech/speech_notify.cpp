#include "text_to_speech.h"

#include "ui_runtime/control_registry.h"
#include "ui_runtime/window_template.h"

namespace {

// Frees whatever an event record carries; our interest holds only stream events,
// but a fetched event is always cleared.
void ClearEvent(SPEVENT& event)
{
    switch (event.elParamType) {
    case SPET_LPARAM_IS_TOKEN:
    case SPET_LPARAM_IS_OBJECT:
        if (event.lParam)
            reinterpret_cast<IUnknown*>(event.lParam)->Release();
        break;
    case SPET_LPARAM_IS_POINTER:
    case SPET_LPARAM_IS_STRING:
        CoTaskMemFree(reinterpret_cast<void*>(event.lParam));
        break;
    default:
        break;
    }
    event.lParam = 0;
}

} // namespace

void __stdcall OnSpeechNotify(WPARAM wParam, LPARAM)
{
    auto* state = reinterpret_cast<SpeechState*>(wParam);
    if (!state || !state->voice || !state->voice->voice)
        return;
    HWND receiver = RtControlHandle(state->receiver);
    if (!receiver)
        return;  // events stay queued in the voice

    ISpVoice* voice = state->voice->voice;
    SPEVENT event;
    while (voice->GetEvents(1, &event, nullptr) == S_OK) {
        auto eventId = static_cast<WPARAM>(static_cast<INT_PTR>(static_cast<short>(event.eEventId & 0xFFFF)));
        ClearEvent(event);
        SendMessageA(receiver, WM_TTS_EVENT, eventId, 0);
        // The receiver may have been destroyed by the event it just handled.
        receiver = RtControlHandle(state->receiver);
        if (!receiver)
            break;
    }
}
