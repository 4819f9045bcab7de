#pragma once
#include "speech/text_to_speech.h"

// The program's one global: its speech object, from InitGlobals to ReleaseGlobals.
extern ETextToSpeech* g_speech;

void InitGlobals();
void ReleaseGlobals();
