#include "text_to_speech.h"

#include <new>

#include "default_voice.h"

namespace {

void ReleaseVoice(VoiceHolder& holder)
{
    if (ISpVoice* voice = holder.voice) {
        holder.voice = nullptr;
        voice->Release();
    }
}

// The voice of an available instance, or null: the common rule of every request.
ISpVoice* AvailableVoice(const ETextToSpeech& tts)
{
    return tts.state ? tts.state->voice->voice : nullptr;
}

} // namespace

void Construct(ETextToSpeech& tts)
{
    if (tts.state)
        return;
    tts.state = new (std::nothrow) SpeechState;
    if (!tts.state)
        return;
    tts.state->voice = nullptr;
    tts.state->receiver = nullptr;

    CoInitialize(nullptr);

    auto* holder = new (std::nothrow) VoiceHolder{nullptr};
    HRESULT hr = E_OUTOFMEMORY;
    if (holder)
        hr = CoCreateInstance(CLSID_SpVoice, nullptr, kVoiceClassContext, IID_ISpVoice,
                              reinterpret_cast<void**>(&holder->voice));
    if (FAILED(hr)) {
        if (holder) {
            ReleaseVoice(*holder);
            delete holder;
        }
        delete tts.state;
        tts.state = nullptr;
        return;
    }

    tts.state->voice = holder;
    tts.state->receiver = nullptr;
    holder->voice->SetInterest(kSpeechEventInterest, kSpeechEventInterest);
    holder->voice->SetNotifyCallbackFunction(OnSpeechNotify, reinterpret_cast<WPARAM>(tts.state), 0);
    SelectDefaultVoice(*holder);
}

void Destroy(ETextToSpeech& tts)
{
    if (!tts.state)
        return;
    if (VoiceHolder* holder = tts.state->voice) {
        ReleaseVoice(*holder);
        delete holder;
    }
    CoUninitialize();
    delete tts.state;
    tts.state = nullptr;
}

bool IsAvailable(const ETextToSpeech& tts)
{
    return tts.state != nullptr;
}

bool Stop(ETextToSpeech& tts)
{
    ISpVoice* voice = AvailableVoice(tts);
    return voice && SUCCEEDED(voice->Speak(nullptr, SPF_PURGEBEFORESPEAK, nullptr));
}

bool Pause(ETextToSpeech& tts)
{
    ISpVoice* voice = AvailableVoice(tts);
    return voice && SUCCEEDED(voice->Pause());
}

bool Resume(ETextToSpeech& tts)
{
    ISpVoice* voice = AvailableVoice(tts);
    return voice && SUCCEEDED(voice->Resume());
}

bool SetVolume(ETextToSpeech& tts, int level)
{
    ISpVoice* voice = AvailableVoice(tts);
    if (!voice || level < 0 || level > 100)
        return false;
    return SUCCEEDED(voice->SetVolume(static_cast<USHORT>(level)));
}
