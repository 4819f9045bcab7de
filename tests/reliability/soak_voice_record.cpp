// The soak's engine is the test voice DLL with one difference: the record of calls it
// keeps in memory for in-process tests (which a DLL never reads) is emptied now and then.
// Over thousands of rounds that record grows by megabytes inside the program's process
// and would hide the program's own memory figure; the log file still gets every call.
#include <windows.h>

#include "test_voice.h"

namespace {

DWORD WINAPI EmptyTheRecordNowAndThen(void*)
{
    for (;;) {
        Sleep(100);
        test_voice::ClearCalls();
    }
}

// Started as the DLL is loaded. The DLL is pinned, so its code stays for as long as the
// thread runs: until the process ends.
const bool kStarted = [] {
    HMODULE self = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                       reinterpret_cast<LPCWSTR>(&EmptyTheRecordNowAndThen), &self);
    if (HANDLE thread = CreateThread(nullptr, 0, EmptyTheRecordNowAndThen, nullptr, 0, nullptr))
        CloseHandle(thread);
    return true;
}();

} // namespace
