#pragma once

// Exit code of a process ended by a run-time error.
constexpr int kRunTimeErrorExitCode = -1;

// Reports a run-time error to the user and ends the process at once with
// kRunTimeErrorExitCode; registered exit routines are discarded, not run.
[[noreturn]] void RtFail(const char* message);
