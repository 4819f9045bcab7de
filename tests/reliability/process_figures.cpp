#include "process_figures.h"

#include <psapi.h>
#include <tlhelp32.h>

#include <cstdio>
#include <vector>

namespace {

// NtQuerySystemInformation's list of every handle in the system (class 16).
struct SystemHandle {
    ULONG processId;
    UCHAR objectType;
    UCHAR flags;
    USHORT handle;
    PVOID object;
    ACCESS_MASK access;
};
struct SystemHandles {
    ULONG count;
    SystemHandle handles[1];
};
constexpr ULONG kSystemHandleInformation = 16;
constexpr LONG kStatusInfoLengthMismatch = static_cast<LONG>(0xC0000004);

unsigned long CountHandlesInSystemList(DWORD processId)
{
    using QueryFn = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
    auto query = reinterpret_cast<QueryFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    if (!query)
        return 0;
    std::vector<char> buffer(1 << 20);
    for (;;) {
        ULONG needed = 0;
        LONG status = query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
        if (status == kStatusInfoLengthMismatch && buffer.size() < (64u << 20)) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (status != 0)
            return 0;
        break;
    }
    auto* list = reinterpret_cast<const SystemHandles*>(buffer.data());
    unsigned long count = 0;
    for (ULONG i = 0; i < list->count; ++i)
        count += list->handles[i].processId == processId;
    return count;
}

// Some systems answer 0 here for another process; the system-wide list still knows.
unsigned long CountHandles(HANDLE process, DWORD processId)
{
    DWORD count = 0;
    if (GetProcessHandleCount(process, &count) && count > 0)
        return count;
    return CountHandlesInSystemList(processId);
}

// GetGuiResources answers 0 where it is not implemented; a live GUI process has objects.
std::optional<unsigned long> GuiObjects(HANDLE process, DWORD kind)
{
    DWORD count = GetGuiResources(process, kind);
    if (count == 0)
        return std::nullopt;
    return count;
}

struct WindowCount {
    DWORD processId;
    unsigned long count;
};

BOOL CALLBACK CountChild(HWND, LPARAM lParam)
{
    ++reinterpret_cast<WindowCount*>(lParam)->count;
    return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND hwnd, LPARAM lParam)
{
    auto* windows = reinterpret_cast<WindowCount*>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (owner == windows->processId) {
        ++windows->count;
        EnumChildWindows(hwnd, CountChild, lParam);
    }
    return TRUE;
}

unsigned long CountWindows(DWORD processId)
{
    WindowCount windows{processId, 0};
    EnumWindows(CountTopLevel, reinterpret_cast<LPARAM>(&windows));
    for (HWND hwnd = FindWindowExA(HWND_MESSAGE, nullptr, nullptr, nullptr); hwnd;
         hwnd = FindWindowExA(HWND_MESSAGE, hwnd, nullptr, nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(hwnd, &owner);
        windows.count += owner == processId;
    }
    return windows.count;
}

unsigned long CountThreads(DWORD processId)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return 0;
    unsigned long count = 0;
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        count += entry.th32OwnerProcessID == processId;
    CloseHandle(snapshot);
    return count;
}

// The commit charge of the process: PrivateUsage, which some systems leave at 0 and
// report as PagefileUsage (the two are the same figure).
unsigned long long PrivateBytes(HANDLE process)
{
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters))
        return 0;
    return counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
}

std::string Optional(const std::optional<unsigned long>& value)
{
    return value ? std::to_string(*value) : std::string("n/a");
}

} // namespace

ProcessFigures MeasureProcess(HANDLE process, DWORD processId)
{
    ProcessFigures figures;
    figures.handles = CountHandles(process, processId);
    figures.gdiObjects = GuiObjects(process, GR_GDIOBJECTS);
    figures.userObjects = GuiObjects(process, GR_USEROBJECTS);
    figures.windows = CountWindows(processId);
    figures.threads = CountThreads(processId);
    figures.privateBytes = PrivateBytes(process);
    return figures;
}

std::string DescribeFigures(const ProcessFigures& figures)
{
    char line[256];
    std::snprintf(line, sizeof line, "handles=%lu gdi=%s user=%s windows=%lu threads=%lu private=%llu KB",
                  figures.handles, Optional(figures.gdiObjects).c_str(), Optional(figures.userObjects).c_str(),
                  figures.windows, figures.threads, figures.privateBytes / 1024);
    return line;
}
