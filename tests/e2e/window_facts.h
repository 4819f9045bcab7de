#pragma once
// What any other process can learn about a window: what an assistive tool reads.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

std::string ClassNameOf(HWND hwnd);

// The text as the window itself hands it out (WM_GETTEXT), in code page 936 bytes;
// nothing when the window does not answer in time.
std::optional<std::string> TextOf(HWND hwnd);

// The child windows in their z-order, which for controls is the order of creation and of Tab.
std::vector<HWND> ChildrenOf(HWND parent);

// The first child of this class whose text is exactly caption.
HWND ChildWithText(HWND parent, const char* className, const char* caption);
HWND FirstChildOfClass(HWND parent, const char* className);

// A child's outer rectangle in the client coordinates of its parent.
RECT RectInParent(HWND child);

DWORD StyleOf(HWND hwnd);
DWORD ExStyleOf(HWND hwnd);

// The control that has the keyboard focus in the thread owning this window.
HWND FocusedControlOf(HWND window);

// True when the window's thread answers a message within the time: it is not hanging.
bool Answers(HWND hwnd, DWORD timeoutMs);
