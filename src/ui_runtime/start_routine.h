#pragma once

// The program's own entry, called once by the run time on the main thread.
// Answers the exit code of a normal run.
int StartRoutine();
