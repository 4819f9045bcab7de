#pragma once

// Prepares the run time for the program; called before any other run-time service.
// Initialises OLE for the process and the common controls, and makes the folder of
// the executable the working directory.
void RtInit();

// Ends a normal run: runs the exit routines, releases the run time's own resources
// and ends the process with the given code.
[[noreturn]] void RtExit(int exitCode);
