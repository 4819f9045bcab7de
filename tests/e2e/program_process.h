#pragma once
// Starting the real vexlorin.exe in a process of its own and finding its main window,
// the way a user starts it and then looks for it on the screen.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

struct EnvVar {
    std::string name;
    std::string value;
};

struct ProgramProcess {
    PROCESS_INFORMATION info = {};
    HWND window = nullptr;  // the main window, once found
};

// Where the program is: beside the driver as the build lays them out, unless the
// environment variable VEXLORIN_E2E_PROGRAM names another (a Windows path).
std::string ProgramPath();

// Starts vexlorin.exe with the driver's environment, without any of our test switches
// inherited from outside, plus these variables. False when the process could not start.
bool StartProgram(ProgramProcess& program, const std::vector<EnvVar>& env);

// The visible top-level window of class "VexlorinWindow" with the program's title that
// belongs to this process, polled until it shows up; null after the timeout.
HWND WaitForMainWindow(const ProgramProcess& program, DWORD timeoutMs);

// Class and title of each top-level window of the process, for telling what opened instead.
std::string DescribeWindowsOf(const ProgramProcess& program);

// The exit code once the process has ended, nothing when it is still running after the timeout.
std::optional<DWORD> WaitForExit(const ProgramProcess& program, DWORD timeoutMs);

// Kills the process if it is still running and closes the handles; safe to call twice.
void EndProgram(ProgramProcess& program);

// A fresh file name in the temporary folder, for logs of one scenario.
std::string TempFileName(const char* prefix);
