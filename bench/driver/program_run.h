#pragma once
// Starting the program or the baseline in a process of its own and finding its window
// the way a user would see it appear, plus what the system tells about the process.
#include <windows.h>

#include <string>

struct BenchTarget {
    const char* label;
    std::string path;
    const char* windowClass;
};

BenchTarget ProgramTarget();
BenchTarget BaselineTarget();

struct RunningProcess {
    PROCESS_INFORMATION info = {};
    HWND window = nullptr;
    std::string path;
};

// Milliseconds on a monotonic clock.
double NowMs();

// Starts the target and polls about every millisecond for its visible main window.
// Answers the milliseconds from just before the process was created to the window
// being visible, or a negative number when it did not appear within the timeout.
double StartAndTimeWindow(const BenchTarget& target, RunningProcess& process, DWORD timeoutMs);

// Waits until the process waits for input, then a little more, so that figures taken
// next describe the program at rest after start-up.
void SettleAfterStart(const RunningProcess& process, DWORD quietMs);

// Under Wine, the kernel's view of the process is read where Wine's answers are zeros
// (see unix_process.h); elsewhere the system's own answers are used.
struct MemoryFigures {
    double privateBytes = 0;
    double workingSet = 0;
};
MemoryFigures MemoryOf(const RunningProcess& process);

// User plus kernel time the process has used so far.
double CpuMsOf(const RunningProcess& process);

// Closes the main window as a user would and waits for the process to end; kills it
// when it does not.
void Close(RunningProcess& process);

// A child of the main window by class and, when given, caption (code page 936).
HWND ChildOf(HWND parent, const char* className, const char* caption);
