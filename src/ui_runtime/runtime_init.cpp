#include "runtime_init.h"

#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include "exit_routines.h"

namespace {
bool gOleInitialised = false;
}

void RtInit()
{
    gOleInitialised = SUCCEEDED(OleInitialize(nullptr));

    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    char folder[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, folder, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
        char* lastSlash = nullptr;
        for (char* p = folder; *p; p = CharNextA(p)) {
            if (*p == '\\' || *p == '/')
                lastSlash = p;
        }
        if (lastSlash) {
            *lastSlash = '\0';
            SetCurrentDirectoryA(folder);
        }
    }
}

void RtExit(int exitCode)
{
    RtRunExitRoutines();
    if (gOleInitialised)
        OleUninitialize();
    ExitProcess(static_cast<UINT>(exitCode));
}
