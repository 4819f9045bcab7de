#include "text_to_speech.h"

#include <oleauto.h>

#include "ansi_to_bstr.h"
#include "ui_runtime/control_registry.h"

namespace {

// Frees the converted text on every way out of Speak.
struct OwnedBstr {
    BSTR text;
    ~OwnedBstr() { SysFreeString(text); }
};

} // namespace

bool Speak(ETextToSpeech& tts, int mode, const char* text, std::optional<int> waitMs,
           std::optional<ControlAddress> receiver)
{
    if (!tts.state)
        return false;
    if (mode < SpeakPlainText || mode > SpeakNothing)
        return false;

    if (receiver) {
        if (RtControl* control = RtFindControl(receiver->windowId, receiver->controlId))
            tts.state->receiver = control;
    }

    ISpVoice* voice = tts.state->voice->voice;
    HRESULT hr = S_OK;
    if (mode != SpeakNothing) {
        OwnedBstr request{AnsiToBstr(text)};
        hr = voice->Speak(request.text, kSpeakFlagsByMode[mode], nullptr);
    }

    if (waitMs && *waitMs != 0)
        voice->WaitUntilDone(*waitMs < 0 ? INFINITE : static_cast<ULONG>(*waitMs));

    return SUCCEEDED(hr);
}
