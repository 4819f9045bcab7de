#include "program_run.h"

#include <psapi.h>

#include <cstdio>
#include <cstring>

#include "unix_process.h"

namespace {

std::string DriverFolder()
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of("\\/") + 1);
}

std::string BesideDriver(std::string relative)
{
    for (char& c : relative) {
        if (c == '/')
            c = '\\';
    }
    std::string joined = DriverFolder() + relative;
    char full[MAX_PATH];
    DWORD length = GetFullPathNameA(joined.c_str(), MAX_PATH, full, nullptr);
    return length > 0 && length < MAX_PATH ? std::string(full, length) : joined;
}

HWND VisibleWindowOf(DWORD processId, const char* windowClass)
{
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, windowClass, nullptr)) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId && IsWindowVisible(window))
            return window;
    }
    return nullptr;
}

double FileTimeMs(const FILETIME& time)
{
    ULARGE_INTEGER value;
    value.LowPart = time.dwLowDateTime;
    value.HighPart = time.dwHighDateTime;
    return static_cast<double>(value.QuadPart) / 10000.0;
}

std::optional<unsigned> UnixPidOf(const RunningProcess& process)
{
    std::optional<unsigned> pid = UnixProcessRunning(process.path);
    static bool told = false;
    if (!pid && !told) {
        told = true;
        std::fprintf(stderr, "note: no Linux view of the processes; memory and CPU figures are the system's\n");
    }
    return pid;
}

} // namespace

BenchTarget ProgramTarget()
{
    return {"vexlorin", BesideDriver(VEXLORIN_PROGRAM_FROM_DRIVER), "VexlorinWindow"};
}

BenchTarget BaselineTarget()
{
    return {"baseline", BesideDriver(VEXLORIN_BASELINE_FROM_DRIVER), "VexlorinBaseline"};
}

double NowMs()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

double StartAndTimeWindow(const BenchTarget& target, RunningProcess& process, DWORD timeoutMs)
{
    process = RunningProcess{};
    process.path = target.path;
    std::string commandLine = "\"" + target.path + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    double start = NowMs();
    if (!CreateProcessA(target.path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process.info))
        return -1;
    for (;;) {
        process.window = VisibleWindowOf(process.info.dwProcessId, target.windowClass);
        double now = NowMs();
        if (process.window)
            return now - start;
        if (now - start > timeoutMs || WaitForSingleObject(process.info.hProcess, 0) == WAIT_OBJECT_0)
            return -1;
        Sleep(1);
    }
}

void SettleAfterStart(const RunningProcess& process, DWORD quietMs)
{
    WaitForInputIdle(process.info.hProcess, 10000);
    Sleep(quietMs);
}

MemoryFigures MemoryOf(const RunningProcess& process)
{
    if (std::optional<unsigned> pid = UnixPidOf(process)) {
        if (std::optional<UnixMemory> memory = UnixMemoryOf(*pid))
            return {memory->privateBytes, memory->residentBytes};
    }
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    MemoryFigures figures;
    if (GetProcessMemoryInfo(process.info.hProcess, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                             sizeof counters)) {
        figures.privateBytes = static_cast<double>(counters.PrivateUsage);
        figures.workingSet = static_cast<double>(counters.WorkingSetSize);
    }
    return figures;
}

double CpuMsOf(const RunningProcess& process)
{
    if (std::optional<unsigned> pid = UnixPidOf(process)) {
        if (std::optional<double> ms = UnixCpuMsOf(*pid))
            return *ms;
    }
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process.info.hProcess, &created, &exited, &kernel, &user))
        return -1;
    return FileTimeMs(kernel) + FileTimeMs(user);
}

void Close(RunningProcess& process)
{
    if (process.info.hProcess) {
        if (process.window)
            PostMessageA(process.window, WM_SYSCOMMAND, SC_CLOSE, 0);
        if (WaitForSingleObject(process.info.hProcess, 10000) != WAIT_OBJECT_0) {
            TerminateProcess(process.info.hProcess, 99);
            WaitForSingleObject(process.info.hProcess, 10000);
        }
        CloseHandle(process.info.hProcess);
    }
    if (process.info.hThread)
        CloseHandle(process.info.hThread);
    process = RunningProcess{};
}

HWND ChildOf(HWND parent, const char* className, const char* caption)
{
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char name[64] = {};
        GetClassNameA(child, name, sizeof name);
        if (lstrcmpiA(name, className) != 0)
            continue;
        if (!caption)
            return child;
        char text[64] = {};
        DWORD_PTR copied = 0;
        if (SendMessageTimeoutA(child, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                                10000, &copied) &&
            std::strcmp(text, caption) == 0)
            return child;
    }
    return nullptr;
}
