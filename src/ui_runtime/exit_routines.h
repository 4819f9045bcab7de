#pragma once

using RtExitRoutine = void (*)();

// Registers a routine to run at the end of a normal run; registering the same
// routine again has no further effect.
void RtAddExitRoutine(RtExitRoutine routine);

// Runs the registered routines once, in registration order, and forgets them.
void RtRunExitRoutines();
