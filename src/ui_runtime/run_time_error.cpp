#include "run_time_error.h"

#include <windows.h>

#include "message_box.h"

void RtFail(const char* message)
{
    // Tests run without anyone to click OK; they ask for the report on stderr instead.
    if (GetEnvironmentVariableA("VEXLORIN_ERRORS_TO_STDERR", nullptr, 0) != 0) {
        HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
        DWORD written = 0;
        WriteFile(err, message, lstrlenA(message), &written, nullptr);
        WriteFile(err, "\n", 1, &written, nullptr);
    } else {
        RtMessageBox(message, "运行时错误", MB_OK | MB_ICONERROR);
    }
    ExitProcess(static_cast<UINT>(kRunTimeErrorExitCode));
}
