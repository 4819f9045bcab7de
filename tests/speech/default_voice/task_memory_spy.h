#pragma once
// Watches COM task memory (CoTaskMemAlloc / CoTaskMemFree) through a malloc spy, so a
// test can tell whether code gave back every block it was handed or made.
#include <windows.h>

#include <cstddef>

// A point in the allocation history; blocks allocated after it are counted from it.
using TaskMemoryMark = unsigned long long;

// Registers the spy on first use and keeps it for the rest of the process, so one test's
// leak (which would keep the spy from being revoked) cannot spoil the next test.
bool TaskMemorySpyActive();

TaskMemoryMark MarkTaskMemory();

// Blocks allocated after the mark and not yet freed.
std::size_t TaskMemoryOutstandingSince(TaskMemoryMark mark);

// Blocks allocated after the mark, freed or not.
std::size_t TaskMemoryAllocatedSince(TaskMemoryMark mark);
