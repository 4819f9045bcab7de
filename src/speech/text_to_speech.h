#pragma once
// The program's bridge to the system's speech engine (SAPI 5): one voice, the
// requests made of it, and its start and end notifications forwarded to a control.
#include <windows.h>
#include <sapi.h>

#include <optional>

struct RtControl;

struct VoiceHolder {
    ISpVoice* voice;  // the one reference this holder owns
};

struct SpeechState {
    VoiceHolder* voice;    // never null while the state exists
    RtControl* receiver;   // control that gets WM_TTS_EVENT; null until a Speak names one
};

struct ETextToSpeech {
    SpeechState* state;  // null while unavailable
};

// The kind of content a Speak request carries.
enum SpeakMode : int {
    SpeakPlainText = 0,
    SpeakFile = 1,
    SpeakXml = 2,
    SpeakNothing = 3,  // accepted, nothing is requested
};

// A control named the way the window run time names it.
struct ControlAddress {
    int windowId;
    int controlId;
};

// Raised by Speak when its text cannot be converted for the engine.
struct TextConversionError {
    HRESULT hr;
};

// In-process server, in-process handler and local server.
constexpr DWORD kVoiceClassContext = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER;

// SAPI event interest: start and end of an input stream, plus SAPI's two reserved bits.
constexpr ULONGLONG kSpeechEventInterest = 0x0000000240000006ULL;

// Speak flags by mode (SPF_ASYNC, with SPF_IS_FILENAME or SPF_IS_XML).
constexpr DWORD kSpeakFlagsByMode[] = {1, 5, 9};

void Construct(ETextToSpeech& tts);
void Destroy(ETextToSpeech& tts);
bool IsAvailable(const ETextToSpeech& tts);

// Queues a request and returns; with waitMs (not 0) waits that long for the voice
// to finish everything queued, a negative wait meaning until it has.
bool Speak(ETextToSpeech& tts, int mode, const char* text, std::optional<int> waitMs = std::nullopt,
           std::optional<ControlAddress> receiver = std::nullopt);
bool Stop(ETextToSpeech& tts);
bool Pause(ETextToSpeech& tts);
bool Resume(ETextToSpeech& tts);
bool SetVolume(ETextToSpeech& tts, int level);

// The notification callback handed to SAPI; wParam carries the SpeechState.
void __stdcall OnSpeechNotify(WPARAM wParam, LPARAM lParam);
