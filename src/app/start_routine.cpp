#include "ui_runtime/start_routine.h"

#include "globals.h"
#include "main_window.h"
#include "ui_runtime/exit_routines.h"
#include "ui_runtime/message_loop.h"
#include "ui_runtime/runtime_init.h"
#include "ui_runtime/window_loader.h"

int StartRoutine()
{
    RtInit();
    InitGlobals();
    RtAddExitRoutine(ReleaseGlobals);
    RtLoadWindow(MainWindow);
    RtRunMessageLoop();
    return 0;
}
