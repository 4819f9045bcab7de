// Shared by the Wine voice tests: COM on the test thread, the registered
// voices, and a record of the events a voice reports.
#pragma once

#include <windows.h>
#include <sapi.h>
#include <wrl/client.h>

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "captured_audio.h"

using Microsoft::WRL::ComPtr;

inline const wchar_t kVoicesCategory[] = L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Speech\\Voices";
inline const std::wstring kTokensPath = std::wstring(kVoicesCategory) + L"\\Tokens\\";
// SAPI error codes MinGW's sperror.h leaves out.
constexpr HRESULT kSpErrUninitialized = static_cast<HRESULT>(0x80045001);
constexpr HRESULT kSpErrAlreadyInitialized = static_cast<HRESULT>(0x80045002);
constexpr HRESULT kSpErrNoMoreItems = static_cast<HRESULT>(0x80045039);
constexpr ULONGLONG kStreamEvents = SPFEI(SPEI_START_INPUT_STREAM) | SPFEI(SPEI_END_INPUT_STREAM);
// Generous bound for "the whole text has been heard", whatever the machine.
constexpr DWORD kSpeakTimeoutMs = 60000;

std::string Narrow(const std::wstring &text);

ComPtr<ISpVoice> CreateVoice();
ComPtr<ISpObjectTokenCategory> VoicesCategory();
// The registered voice whose token key is named name (e.g. "eSpeakNG-cmn").
ComPtr<ISpObjectToken> VoiceToken(const std::wstring &name);
// Speaks a sample of the table with its voice and rate, then waits until heard.
void SpeakSample(ISpVoice *voice, const VoiceSample &sample, DWORD flags = SPF_ASYNC);

// Dispatches this thread's messages until done() or the timeout.
bool PumpMessagesUntil(const std::function<bool()> &done, DWORD timeoutMs);

// Receives a voice's notifications through SetNotifyCallbackFunction and keeps
// every event fetched, with the thread that received it.
struct EventRecorder
{
    struct Event
    {
        WORD id;
        ULONG stream;
        ULONGLONG audioOffset;
        DWORD thread;
    };

    ISpVoice *voice = nullptr;
    std::vector<Event> events;

    HRESULT Attach(ISpVoice *observed);
    bool HasEnded(ULONG stream) const;
    static void __stdcall OnNotify(WPARAM wparam, LPARAM lparam);
};

class WineVoiceTest : public testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    CapturedAudio audio;
};
