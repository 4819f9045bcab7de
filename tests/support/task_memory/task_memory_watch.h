#pragma once
// COM task memory (CoTaskMemAlloc / CoTaskMemFree, and the BSTRs built on it) watched and
// refused through a malloc spy: a test can tell whether code gave back every block it
// was handed or made, and make one chosen allocation fail.
#include <windows.h>

#include <cstddef>

// A point in the allocation history.
using TaskMemoryMark = unsigned long long;

// Registers the spy on first use and keeps it for the rest of the process (a spy with
// blocks outstanding cannot be revoked). Also turns off the BSTR cache, which would
// otherwise keep freed strings back from CoTaskMemFree.
bool TaskMemoryWatchActive();

TaskMemoryMark MarkTaskMemory();
// Blocks allocated after the mark and not yet freed.
std::size_t TaskMemoryOutstandingSince(TaskMemoryMark mark);
// Blocks allocated after the mark, freed or not.
std::size_t TaskMemoryAllocatedSince(TaskMemoryMark mark);

// The next allocation of exactly this many bytes (0: of any size) answers null.
void RefuseNextTaskMemory(std::size_t bytes);
// Disarms, and forgets how many were refused.
void StopRefusingTaskMemory();
// How many allocations were refused since the last RefuseNextTaskMemory.
unsigned RefusedTaskMemoryAllocations();
