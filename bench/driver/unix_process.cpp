#include "unix_process.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

std::string ProcPath(unsigned pid, const char* file)
{
    char path[64];
    std::snprintf(path, sizeof path, "Z:\\proc\\%u\\%s", pid, file);
    return path;
}

std::optional<std::string> ReadWhole(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::nullopt;
    std::string text;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0)
        text.append(chunk, got);
    CloseHandle(file);
    return text;
}

// The value in kB of a "Name:   123 kB" line of /proc/PID/status, in bytes.
double StatusBytes(const std::string& status, const char* name)
{
    std::size_t at = status.find(name);
    if (at == std::string::npos)
        return 0;
    return std::strtod(status.c_str() + at + std::strlen(name), nullptr) * 1024.0;
}

// The numeric fields of /proc/PID/stat after the command name, which is in parentheses
// and may hold spaces: index 0 is the state, 11 and 12 utime and stime, 19 the start time.
std::optional<std::vector<double>> StatFields(unsigned pid)
{
    std::optional<std::string> stat = ReadWhole(ProcPath(pid, "stat"));
    if (!stat)
        return std::nullopt;
    std::size_t close = stat->rfind(')');
    if (close == std::string::npos)
        return std::nullopt;
    std::vector<double> fields;
    const char* p = stat->c_str() + close + 1;
    while (*p) {
        while (*p == ' ' || *p == '\n')
            ++p;
        const char* start = p;
        while (*p && *p != ' ' && *p != '\n')
            ++p;
        if (p > start)
            fields.push_back(std::strtod(std::string(start, p).c_str(), nullptr));
    }
    return fields;
}

} // namespace

std::optional<unsigned> UnixProcessRunning(const std::string& windowsPath)
{
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA("Z:\\proc\\*", &entry);
    if (search == INVALID_HANDLE_VALUE)
        return std::nullopt;
    std::optional<unsigned> found;
    double foundStart = -1;
    do {
        char* end = nullptr;
        unsigned long pid = std::strtoul(entry.cFileName, &end, 10);
        if (pid == 0 || *end != '\0')
            continue;
        std::optional<std::string> commandLine = ReadWhole(ProcPath(pid, "cmdline"));
        if (!commandLine || lstrcmpiA(commandLine->c_str(), windowsPath.c_str()) != 0)
            continue;
        std::optional<std::vector<double>> fields = StatFields(pid);
        double started = fields && fields->size() > 19 ? (*fields)[19] : 0;
        if (started >= foundStart) {
            found = static_cast<unsigned>(pid);
            foundStart = started;
        }
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return found;
}

std::optional<UnixMemory> UnixMemoryOf(unsigned unixPid)
{
    std::optional<std::string> status = ReadWhole(ProcPath(unixPid, "status"));
    if (!status || status->find("RssAnon:") == std::string::npos)
        return std::nullopt;
    return UnixMemory{StatusBytes(*status, "RssAnon:") + StatusBytes(*status, "VmSwap:"),
                      StatusBytes(*status, "VmRSS:")};
}

std::optional<double> UnixCpuMsOf(unsigned unixPid)
{
    // Each thread's schedstat starts with its time on a CPU in nanoseconds; the process's
    // stat has only 10 ms ticks, too coarse to tell an idle program from a polling one.
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA(ProcPath(unixPid, "task\\*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return std::nullopt;
    double nanoseconds = 0;
    bool any = false;
    do {
        char* end = nullptr;
        unsigned long tid = std::strtoul(entry.cFileName, &end, 10);
        if (tid == 0 || *end != '\0')
            continue;
        char file[64];
        std::snprintf(file, sizeof file, "task\\%lu\\schedstat", tid);
        if (std::optional<std::string> schedstat = ReadWhole(ProcPath(unixPid, file))) {
            nanoseconds += std::strtod(schedstat->c_str(), nullptr);
            any = true;
        }
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    if (!any)
        return std::nullopt;
    return nanoseconds / 1e6;
}
