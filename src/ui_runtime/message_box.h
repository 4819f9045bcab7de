#pragma once
#include <windows.h>

// A modal message box owned by the thread's active window; answers the button pressed.
int RtMessageBox(const char* text, const char* title, UINT flags);
