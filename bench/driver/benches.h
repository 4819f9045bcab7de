#pragma once
// The figures the driver measures; each prints its rows of the table.
#include "program_run.h"

// Start-up to the visible window, then private bytes and working set at rest, for the
// program and the baseline started alternately, runs times each.
bool RunStartupAndMemory(int runs, const BenchTarget& program, const BenchTarget& baseline);

// CPU time used by each process, open and idle, over the given seconds.
bool RunIdle(int runs, int seconds);

// The start button against a plain read of the same text, at each text size.
bool RunStartButton(int runs);
