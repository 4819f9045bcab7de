#include "clipboard_text.h"

#include <cstring>

namespace {

bool CopyToClipboard(const std::string& text)
{
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    if (!memory)
        return false;
    std::memcpy(GlobalLock(memory), text.c_str(), text.size() + 1);
    GlobalUnlock(memory);
    if (!OpenClipboard(nullptr)) {
        GlobalFree(memory);
        return false;
    }
    EmptyClipboard();
    bool set = SetClipboardData(CF_TEXT, memory) != nullptr;
    CloseClipboard();
    if (!set)
        GlobalFree(memory);
    return set;
}

} // namespace

bool PasteIntoEdit(HWND edit, const std::string& text, DWORD timeoutMs)
{
    if (!CopyToClipboard(text))
        return false;
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(edit, EM_SETSEL, 0, -1, SMTO_NORMAL, timeoutMs, &result) &&
           SendMessageTimeoutA(edit, WM_PASTE, 0, 0, SMTO_NORMAL, timeoutMs, &result);
}
