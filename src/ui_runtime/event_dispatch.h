#pragma once
#include "window_template.h"

// Calls the program's handlers bound in a template. Nothing thrown by a handler
// gets past these: they are called from window procedures.
void RtDispatchCreate(const WindowTemplate& tmpl);
void RtDispatchClick(const WindowTemplate& tmpl, int controlId);
void RtDispatchSpeechEvent(const ControlTemplate& control, WPARAM eventId);
