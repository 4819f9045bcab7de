#include "voice_test_support.h"

std::string Narrow(const std::wstring &text)
{
    int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string narrow(length, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), narrow.data(), length, nullptr, nullptr);
    return narrow;
}

ComPtr<ISpVoice> CreateVoice()
{
    ComPtr<ISpVoice> voice;
    HRESULT hr = CoCreateInstance(CLSID_SpVoice, nullptr, CLSCTX_ALL, IID_ISpVoice, &voice);
    EXPECT_EQ(hr, S_OK) << "the voice class cannot be created";
    return voice;
}

ComPtr<ISpObjectTokenCategory> VoicesCategory()
{
    ComPtr<ISpObjectTokenCategory> category;
    EXPECT_EQ(CoCreateInstance(CLSID_SpObjectTokenCategory, nullptr, CLSCTX_ALL, IID_ISpObjectTokenCategory,
                               &category), S_OK);
    if (category)
    {
        EXPECT_EQ(category->SetId(kVoicesCategory, FALSE), S_OK);
    }
    return category;
}

ComPtr<ISpObjectToken> VoiceToken(const std::wstring &name)
{
    ComPtr<ISpObjectToken> token;
    EXPECT_EQ(CoCreateInstance(CLSID_SpObjectToken, nullptr, CLSCTX_ALL, IID_ISpObjectToken, &token), S_OK);
    if (token)
    {
        EXPECT_EQ(token->SetId(nullptr, (kTokensPath + name).c_str(), FALSE), S_OK) << Narrow(name);
    }
    return token;
}

void SpeakSample(ISpVoice *voice, const VoiceSample &sample, DWORD flags)
{
    if (!sample.token.empty())
    {
        ASSERT_EQ(voice->SetVoice(VoiceToken(sample.token).Get()), S_OK);
    }
    ASSERT_EQ(voice->SetRate(sample.rate), S_OK);
    ASSERT_EQ(voice->Speak(sample.text.c_str(), flags, nullptr), S_OK);
    ASSERT_EQ(voice->WaitUntilDone(kSpeakTimeoutMs), S_OK);
}

bool PumpMessagesUntil(const std::function<bool()> &done, DWORD timeoutMs)
{
    Stopwatch watch;
    while (!done())
    {
        if (watch.Seconds() * 1000 > timeoutMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    }
    return true;
}

HRESULT EventRecorder::Attach(ISpVoice *observed)
{
    voice = observed;
    HRESULT hr = voice->SetInterest(kStreamEvents, kStreamEvents);
    if (SUCCEEDED(hr))
        hr = voice->SetNotifyCallbackFunction(OnNotify, reinterpret_cast<WPARAM>(this), 0);
    return hr;
}

bool EventRecorder::HasEnded(ULONG stream) const
{
    for (const Event &event : events)
        if (event.id == SPEI_END_INPUT_STREAM && event.stream == stream) return true;
    return false;
}

void __stdcall EventRecorder::OnNotify(WPARAM wparam, LPARAM)
{
    auto *recorder = reinterpret_cast<EventRecorder *>(wparam);
    SPEVENT event;
    // Called from the voice's window procedure: nothing may be thrown back into it.
    try
    {
        while (recorder->voice->GetEvents(1, &event, nullptr) == S_OK)
            recorder->events.push_back({event.eEventId, event.ulStreamNum, event.ullAudioStreamOffset,
                                        GetCurrentThreadId()});
    }
    catch (...)
    {
        ADD_FAILURE() << "could not record an event";
    }
}

void WineVoiceTest::SetUp()
{
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    audio.Clear();
}

void WineVoiceTest::TearDown()
{
    CoUninitialize();
}
