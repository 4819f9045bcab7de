#include "message_box.h"

int RtMessageBox(const char* text, const char* title, UINT flags)
{
    return MessageBoxA(GetActiveWindow(), text, title, flags);
}
