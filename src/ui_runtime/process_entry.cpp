// The process entry of the executable: everything the program does happens inside
// StartRoutine; the run time ends the process after it.
#include <windows.h>

#include "runtime_init.h"
#include "start_routine.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    RtExit(StartRoutine());
}
