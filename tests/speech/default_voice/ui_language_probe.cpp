// Started by the interface language tests with a Windows version chosen for it. Its exit
// code carries what it saw: platform id << 24 | major version << 16 | interface language.
#include <windows.h>

#include "speech/user_ui_language.h"

namespace {

// Fills the stack the language lookup will reuse with hex digits: a registry text left
// unterminated would run on into them and give a different number.
void FillStackWithDigits()
{
    volatile char area[16384];
    for (volatile char& c : area)
        c = '7';
}

// Called through a pointer the compiler cannot see through, so it is not inlined away.
void (*volatile fillStack)() = FillStackWithDigits;

} // namespace

int main()
{
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExA(&version))
        return -1;
    fillStack();
    LANGID langId = GetUserUiLanguage();
    return static_cast<int>((version.dwPlatformId & 0xFF) << 24 | (version.dwMajorVersion & 0xFF) << 16 | langId);
}
