#pragma once
// What another process holds, as a task manager shows it: handles, GDI and USER objects,
// windows, threads and private bytes. Taken from outside, so the figures cost the program
// nothing and cannot be dressed up by it.
#include <windows.h>

#include <optional>
#include <string>

struct ProcessFigures {
    unsigned long handles = 0;
    std::optional<unsigned long> gdiObjects;   // nothing where the system does not count them
    std::optional<unsigned long> userObjects;
    unsigned long windows = 0;                 // top-level, child and message-only
    unsigned long threads = 0;
    unsigned long long privateBytes = 0;       // committed memory of its own
};

ProcessFigures MeasureProcess(HANDLE process, DWORD processId);

// One line: "handles=.. gdi=.. user=.. windows=.. threads=.. private=.. KB".
std::string DescribeFigures(const ProcessFigures& figures);
