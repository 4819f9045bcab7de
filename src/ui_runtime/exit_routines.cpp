#include "exit_routines.h"

#include "allocator.h"

namespace {

struct ExitRoutineNode {
    RtExitRoutine routine;
    ExitRoutineNode* next;
};

ExitRoutineNode* gFirstExitRoutine = nullptr;

} // namespace

void RtAddExitRoutine(RtExitRoutine routine)
{
    ExitRoutineNode** link = &gFirstExitRoutine;
    for (; *link; link = &(*link)->next) {
        if ((*link)->routine == routine)
            return;
    }
    auto* node = static_cast<ExitRoutineNode*>(RtAlloc(sizeof(ExitRoutineNode)));
    node->routine = routine;
    *link = node;
}

void RtRunExitRoutines()
{
    // Detach the list first, so a routine that registers another cannot loop forever.
    ExitRoutineNode* node = gFirstExitRoutine;
    gFirstExitRoutine = nullptr;
    while (node) {
        ExitRoutineNode* next = node->next;
        node->routine();
        RtFree(node);
        node = next;
    }
}
