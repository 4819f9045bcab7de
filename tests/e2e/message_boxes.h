#pragma once
// The program's message boxes as the user sees them: a dialog (class "#32770") of the
// program's process with a title, a text and its buttons.
#include <windows.h>

#include <string>
#include <vector>

struct MessageBoxContent {
    std::string title;
    std::string text;                  // the static control that is not the icon
    std::vector<std::string> buttons;  // captions, in order
};

// A message box of this process, polled for until the timeout; null when none came.
HWND WaitForMessageBox(DWORD processId, DWORD timeoutMs);

// Every message box of this process that is open now.
std::vector<HWND> MessageBoxesOf(DWORD processId);

MessageBoxContent ReadMessageBox(HWND box);

// Presses the box's OK button as a user would and waits for the box to go away.
bool PressOk(HWND box, DWORD timeoutMs);
