#pragma once
#include "window_template.h"

// Creates the window and its controls from the template, dispatches its creation
// event once they exist, then shows it. A window that cannot be created is a
// run-time error. Answers the window's handle for the run time's own callers.
HWND RtLoadWindow(const WindowTemplate& tmpl);

// How many of the windows loaded from templates still exist.
int RtLiveWindowCount();
