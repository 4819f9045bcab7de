#pragma once
// What a user does to the program, delivered as the messages the system would deliver.
#include <windows.h>

#include <functional>
#include <string>

// Clicks a button and returns once the program has handled the click; false when it did
// not within the time (the program hangs, or the click opened something modal).
bool Click(HWND button, DWORD timeoutMs = 10000);

// A left click at a point of a control's client area, as the mouse gives it.
void ClickAt(HWND control, int x, int y);

// Clicks a button without waiting: for clicks that open a message box.
void ClickWithoutWaiting(HWND button);

// A key pressed and released on the focused control; the program's own message loop
// turns it into characters, so this goes through its keyboard handling.
void PressKey(HWND focused, UINT virtualKey);

// Characters typed into a control, one WM_CHAR per byte (ASCII only).
void TypeCharacters(HWND control, const std::string& ascii);

// Replaces a control's text, as an assistive tool's "set value" does.
bool SetText(HWND control, const std::string& text);

// Copies text (code page 936 bytes) to the clipboard, as a user's copy elsewhere would.
bool CopyToClipboard(const std::string& text);

// Selects everything in an edit box and pastes the clipboard over it.
bool PasteOverAll(HWND edit, DWORD timeoutMs = 60000);

// Polls until done() answers true; false after the timeout.
bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs, DWORD pollMs = 20);
