#include "globals.h"

#include "ui_runtime/allocator.h"

ETextToSpeech* g_speech = nullptr;

void InitGlobals()
{
    g_speech = static_cast<ETextToSpeech*>(RtAlloc(sizeof(ETextToSpeech)));
    Construct(*g_speech);
}

void ReleaseGlobals()
{
    if (!g_speech)
        return;
    Destroy(*g_speech);
    RtFree(g_speech);
    g_speech = nullptr;
}
