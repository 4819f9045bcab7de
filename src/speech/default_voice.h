#pragma once
#include "text_to_speech.h"

// Selects the first installed voice whose description, in the user's interface
// language, names Chinese; answers whether one was selected.
bool SelectDefaultVoice(VoiceHolder& holder);
