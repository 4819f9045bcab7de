#pragma once
// Putting a long text into the program's edit box. Under Wine a message that carries
// more than about a megabyte into another process makes that process's message loop
// fail, so the text goes the way a user's paste takes: through the clipboard.
#include <windows.h>

#include <string>

// Replaces the whole content of an edit box of another process with text (code page
// 936 bytes); false when the clipboard could not be filled or the paste did not answer.
bool PasteIntoEdit(HWND edit, const std::string& text, DWORD timeoutMs);
