#include "program_process.h"

#include <cstring>
#include <utility>

#include "expected_texts.h"

namespace {

// Switches of the program and the test voice that must come only from the scenario.
constexpr const char* kScenarioPrefixes[] = {"VEXLORIN_TEST_VOICE_", "VEXLORIN_FAIL_ALLOC_SIZE=",
                                             "VEXLORIN_ERRORS_TO_STDERR="};

bool StartsWithNoCase(const char* text, const char* prefix)
{
    return _strnicmp(text, prefix, std::strlen(prefix)) == 0;
}

bool IsScenarioVariable(const char* entry)
{
    for (const char* prefix : kScenarioPrefixes) {
        if (StartsWithNoCase(entry, prefix))
            return true;
    }
    return false;
}

// The environment block for the program: ours without scenario switches, then the scenario's.
std::string EnvironmentBlock(const std::vector<EnvVar>& env)
{
    std::string block;
    if (char* strings = GetEnvironmentStringsA()) {
        for (const char* entry = strings; *entry; entry += std::strlen(entry) + 1) {
            if (!IsScenarioVariable(entry))
                block.append(entry).push_back('\0');
        }
        FreeEnvironmentStringsA(strings);
    }
    for (const EnvVar& var : env)
        block.append(var.name).append("=").append(var.value).push_back('\0');
    block.push_back('\0');
    return block;
}

std::string DriverFolder()
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of("\\/") + 1);
}

struct WindowSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK MatchMainWindow(HWND hwnd, LPARAM lParam)
{
    auto* search = reinterpret_cast<WindowSearch*>(lParam);
    DWORD processId = 0;
    GetWindowThreadProcessId(hwnd, &processId);
    if (processId != search->processId || !IsWindowVisible(hwnd))
        return TRUE;
    char className[64] = {};
    char title[128] = {};
    GetClassNameA(hwnd, className, sizeof className);
    GetWindowTextA(hwnd, title, sizeof title);
    if (std::strcmp(className, kExpectedWindowClass) == 0 && std::strcmp(title, kExpectedTitle) == 0) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK DescribeWindow(HWND hwnd, LPARAM lParam)
{
    auto* search = reinterpret_cast<std::pair<DWORD, std::string>*>(lParam);
    DWORD processId = 0;
    GetWindowThreadProcessId(hwnd, &processId);
    if (processId != search->first)
        return TRUE;
    char className[64] = {};
    char title[128] = {};
    GetClassNameA(hwnd, className, sizeof className);
    GetWindowTextA(hwnd, title, sizeof title);
    search->second += std::string(" [") + className + " \"" + title + "\"" + (IsWindowVisible(hwnd) ? "" : " hidden") + "]";
    return TRUE;
}

} // namespace

std::string ProgramPath()
{
    // Another build of the program (another architecture, a deliberately broken copy)
    // can be driven by the same tests.
    char other[MAX_PATH];
    DWORD otherLength = GetEnvironmentVariableA("VEXLORIN_E2E_PROGRAM", other, MAX_PATH);
    if (otherLength > 0 && otherLength < MAX_PATH)
        return std::string(other, otherLength);
    std::string relative = VEXLORIN_PROGRAM_FROM_DRIVER;
    for (char& c : relative) {
        if (c == '/')
            c = '\\';
    }
    std::string joined = DriverFolder() + relative;
    char full[MAX_PATH];
    DWORD length = GetFullPathNameA(joined.c_str(), MAX_PATH, full, nullptr);
    return length > 0 && length < MAX_PATH ? std::string(full, length) : joined;
}

bool StartProgram(ProgramProcess& program, const std::vector<EnvVar>& env)
{
    std::string path = ProgramPath();
    std::string commandLine = "\"" + path + "\"";
    std::string block = EnvironmentBlock(env);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    program = ProgramProcess{};
    return CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, block.data(), nullptr,
                          &startup, &program.info) != 0;
}

HWND WaitForMainWindow(const ProgramProcess& program, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        WindowSearch search{program.info.dwProcessId, nullptr};
        EnumWindows(MatchMainWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found)
            return search.found;
        if (WaitForSingleObject(program.info.hProcess, 0) == WAIT_OBJECT_0 || GetTickCount() - start > timeoutMs)
            return nullptr;
        Sleep(50);
    }
}

std::string DescribeWindowsOf(const ProgramProcess& program)
{
    std::pair<DWORD, std::string> search{program.info.dwProcessId, {}};
    EnumWindows(DescribeWindow, reinterpret_cast<LPARAM>(&search));
    return search.second.empty() ? " none" : search.second;
}

std::optional<DWORD> WaitForExit(const ProgramProcess& program, DWORD timeoutMs)
{
    if (!program.info.hProcess || WaitForSingleObject(program.info.hProcess, timeoutMs) != WAIT_OBJECT_0)
        return std::nullopt;
    DWORD code = 0;
    GetExitCodeProcess(program.info.hProcess, &code);
    return code;
}

void EndProgram(ProgramProcess& program)
{
    if (program.info.hProcess) {
        if (WaitForSingleObject(program.info.hProcess, 0) != WAIT_OBJECT_0) {
            TerminateProcess(program.info.hProcess, 99);
            WaitForSingleObject(program.info.hProcess, 10000);
        }
        CloseHandle(program.info.hProcess);
    }
    if (program.info.hThread)
        CloseHandle(program.info.hThread);
    program = ProgramProcess{};
}

std::string TempFileName(const char* prefix)
{
    char folder[MAX_PATH];
    char name[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    GetTempFileNameA(folder, prefix, 0, name);  // creates it empty, so the name stays ours
    return name;
}
