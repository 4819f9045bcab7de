#include "default_voice.h"

bool SelectDefaultVoice(VoiceHolder&)
{
    // The engine's default voice stays until the Chinese voice selection is built.
    return false;
}
