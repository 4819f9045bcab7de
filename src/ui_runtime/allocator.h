#pragma once
#include <cstddef>

// Zero-filled blocks. Running out of memory is a run-time error: it is reported with
// the size asked for and ends the process (exit routines do not run).
void* RtAlloc(std::size_t bytes);
void RtFree(void* block);
