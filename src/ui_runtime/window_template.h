#pragma once
#include <windows.h>

#include <cstddef>

// Handlers bound in templates take nothing and return nothing; the speech event
// handler gets the event identifier.
using RtEventHandler = void (*)();
using RtSpeechEventHandler = void (*)(WPARAM eventId);

// A window message that, sent to a control, becomes that control's speech event.
constexpr UINT WM_TTS_EVENT = 0x8075;

struct ControlTemplate {
    int id;
    const char* className;  // "BUTTON", "EDIT"
    const char* caption;
    int left, top, width, height;  // client coordinates of the parent
    DWORD style;                   // WS_CHILD is always added
    DWORD exStyle;
    RtEventHandler onClick;
    RtSpeechEventHandler onSpeechEvent;
};

struct WindowTemplate {
    int id;
    const char* title;
    int left, top, width, height;  // outer frame
    bool centred;                  // centred on the screen when created, whatever left and top say
    DWORD style;
    DWORD exStyle;
    RtEventHandler onCreate;
    const ControlTemplate* controls;  // in creation (and tab) order
    std::size_t controlCount;
};
