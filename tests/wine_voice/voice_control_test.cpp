// How the espeak-ng voice behaves over time: events, waiting, stopping,
// pausing, and how soon sound starts and ends.  Bounds on time are generous;
// the figures measured are printed.
#include "voice_test_support.h"

namespace {

class VoiceControl : public WineVoiceTest
{
protected:
    // Starts the long sample and waits until it is heard.
    void StartLongSample(ISpVoice *voice, ULONG *stream = nullptr)
    {
        ASSERT_EQ(voice->Speak(SampleNamed("long").text.c_str(), SPF_ASYNC, stream), S_OK);
        ASSERT_GE(audio.SecondsUntilSound(10000), 0) << "no sound within 10 s";
    }
};

TEST_F(VoiceControl, EventsArriveInOrderOnTheRegisteringThread)
{
    ComPtr<ISpVoice> voice = CreateVoice();
    EventRecorder recorder;
    ASSERT_EQ(recorder.Attach(voice.Get()), S_OK);

    ULONG first = 0, second = 0;
    ASSERT_EQ(voice->Speak(L"One.", SPF_ASYNC, &first), S_OK);
    ASSERT_EQ(voice->Speak(L"Two.", SPF_ASYNC, &second), S_OK);
    EXPECT_EQ(first, 1u);
    EXPECT_EQ(second, 2u);
    ASSERT_TRUE(PumpMessagesUntil([&] { return recorder.HasEnded(second); }, kSpeakTimeoutMs));

    ASSERT_EQ(recorder.events.size(), 4u);
    const WORD ids[] = {SPEI_START_INPUT_STREAM, SPEI_END_INPUT_STREAM, SPEI_START_INPUT_STREAM,
                        SPEI_END_INPUT_STREAM};
    const ULONG streams[] = {first, first, second, second};
    for (size_t i = 0; i < 4; i++)
    {
        SCOPED_TRACE(i);
        EXPECT_EQ(recorder.events[i].id, ids[i]);
        EXPECT_EQ(recorder.events[i].stream, streams[i]);
        EXPECT_EQ(recorder.events[i].thread, GetCurrentThreadId());
    }
    EXPECT_EQ(recorder.events[0].audioOffset, 0u);
    EXPECT_GT(recorder.events[1].audioOffset, 0u) << "the end reports the bytes of sound";

    SPEVENT event;
    ULONG fetched = 1;
    EXPECT_EQ(voice->GetEvents(1, &event, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 0u);
}

// Counts the notifications that reach it, whichever way the voice sends them.
struct NotificationCounter : ISpNotifyCallback, ISpNotifySink
{
    LONG count = 0;
    LONG references = 1;

    HRESULT STDMETHODCALLTYPE NotifyCallback(WPARAM, LPARAM) override
    {
        count++;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Notify() override
    {
        InterlockedIncrement(&count);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **out) override
    {
        if (riid != IID_IUnknown && riid != IID_ISpNotifySink)
        {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        *out = static_cast<ISpNotifySink *>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references); }
    ULONG STDMETHODCALLTYPE Release() override { return InterlockedDecrement(&references); }
};

constexpr UINT kNotifyMessage = WM_APP + 7;

LRESULT CALLBACK CountingWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == kNotifyMessage)
    {
        reinterpret_cast<NotificationCounter *>(wparam)->count++;
        return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

TEST_F(VoiceControl, EveryWayOfNotifyingAnnouncesTheEvents)
{
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = CountingWindowProc;
    windowClass.lpszClassName = L"WineVoiceNotifyCounter";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowW(windowClass.lpszClassName, nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr,
                                nullptr);
    ASSERT_TRUE(window);

    struct Way
    {
        const char *name;
        std::function<HRESULT(ISpVoice *, NotificationCounter *)> set;
    } ways[] = {
        {"window message", [&](ISpVoice *v, NotificationCounter *c) {
             return v->SetNotifyWindowMessage(window, kNotifyMessage, reinterpret_cast<WPARAM>(c), 0);
         }},
        {"callback interface", [](ISpVoice *v, NotificationCounter *c) {
             return v->SetNotifyCallbackInterface(c, 0, 0);
         }},
        {"sink", [](ISpVoice *v, NotificationCounter *c) { return v->SetNotifySink(c); }},
    };
    for (const Way &way : ways)
    {
        SCOPED_TRACE(way.name);
        NotificationCounter counter;
        {
            ComPtr<ISpVoice> voice = CreateVoice();
            ASSERT_EQ(voice->SetInterest(kStreamEvents, kStreamEvents), S_OK);
            ASSERT_EQ(way.set(voice.Get(), &counter), S_OK);
            ASSERT_EQ(voice->Speak(L"One.", SPF_ASYNC, nullptr), S_OK);
            ASSERT_EQ(voice->WaitUntilDone(kSpeakTimeoutMs), S_OK);
            PumpMessagesUntil([&] { return counter.count >= 1; }, 5000);
            EXPECT_GE(counter.count, 1);
        }
        EXPECT_EQ(counter.references, 1) << "the voice let go of the sink";
    }
    DestroyWindow(window);

    ComPtr<ISpVoice> voice = CreateVoice();
    EXPECT_EQ(voice->GetNotifyEventHandle(), nullptr);
    ASSERT_EQ(voice->SetInterest(kStreamEvents, kStreamEvents), S_OK);
    ASSERT_EQ(voice->SetNotifyWin32Event(), S_OK);
    EXPECT_NE(voice->GetNotifyEventHandle(), nullptr);
    ASSERT_EQ(voice->Speak(L"One.", SPF_ASYNC, nullptr), S_OK);
    EXPECT_EQ(voice->WaitForNotifyEvent(kSpeakTimeoutMs), S_OK);
    ASSERT_EQ(voice->WaitUntilDone(kSpeakTimeoutMs), S_OK);
}

TEST_F(VoiceControl, OnlyEventsOfInterestAreQueued)
{
    ComPtr<ISpVoice> voice = CreateVoice();
    ASSERT_EQ(voice->SetInterest(kStreamEvents, SPFEI(SPEI_END_INPUT_STREAM)), S_OK);
    ASSERT_EQ(voice->Speak(L"One.", SPF_ASYNC, nullptr), S_OK);
    ASSERT_EQ(voice->WaitUntilDone(kSpeakTimeoutMs), S_OK);

    SPEVENTSOURCEINFO info;
    ASSERT_EQ(voice->GetInfo(&info), S_OK);
    EXPECT_EQ(info.ullEventInterest, kStreamEvents);
    EXPECT_EQ(info.ulCount, 1u);
    SPEVENT events[2];
    ULONG fetched = 0;
    EXPECT_EQ(voice->GetEvents(2, events, &fetched), S_FALSE);
    ASSERT_EQ(fetched, 1u);
    EXPECT_EQ(events[0].eEventId, SPEI_END_INPUT_STREAM);

    ASSERT_EQ(voice->SetInterest(0, 0), S_OK);
    ASSERT_EQ(voice->Speak(L"Two.", SPF_ASYNC, nullptr), S_OK);
    ASSERT_EQ(voice->WaitUntilDone(kSpeakTimeoutMs), S_OK);
    EXPECT_EQ(voice->GetEvents(1, events, nullptr), S_FALSE) << "no interest, nothing queued";
}

TEST_F(VoiceControl, SpeakReturnsAtOnceAndSoundFollowsPromptly)
{
    for (int attempt = 1; attempt <= 3; attempt++)
    {
        audio.Clear();
        ComPtr<ISpVoice> voice = CreateVoice();
        Stopwatch watch;
        ASSERT_EQ(voice->Speak(SampleNamed("english").text.c_str(), SPF_ASYNC, nullptr), S_OK);
        double queued = watch.Seconds();
        double heard = audio.SecondsUntilSound(10000);
        std::printf("attempt %d: Speak returned after %.1f ms, first non-silent sample after %.1f ms\n", attempt,
                    queued * 1000, heard * 1000);
        EXPECT_LT(queued, 0.2);
        EXPECT_GE(heard, 0.0) << "no sound within 10 s";
        EXPECT_LT(heard, 1.0);
        ASSERT_EQ(voice->WaitUntilDone(kSpeakTimeoutMs), S_OK);
    }
}

TEST_F(VoiceControl, WaitUntilDoneHonoursItsTimeout)
{
    ComPtr<ISpVoice> voice = CreateVoice();
    EXPECT_EQ(voice->WaitUntilDone(0), S_OK) << "nothing to wait for";
    ASSERT_EQ(voice->Speak(SampleNamed("long").text.c_str(), SPF_ASYNC, nullptr), S_OK);
    Stopwatch watch;
    EXPECT_EQ(voice->WaitUntilDone(500), S_FALSE);
    double waited = watch.Seconds();
    std::printf("WaitUntilDone(500) returned after %.0f ms\n", waited * 1000);
    EXPECT_GE(waited, 0.45);
    EXPECT_LT(waited, 2.0);
    SPVOICESTATUS status;
    ASSERT_EQ(voice->GetStatus(&status, nullptr), S_OK);
    EXPECT_EQ(status.dwRunningState, static_cast<DWORD>(SPRS_IS_SPEAKING));
    EXPECT_EQ(status.ulCurrentStream, 1u);
    EXPECT_EQ(voice->WaitUntilDone(INFINITE), S_OK);
    EXPECT_TRUE(SameSound(audio.Heard(), ReferenceFor("long"))) << "INFINITE waits for the whole text";
}

TEST_F(VoiceControl, PurgeCutsTheSoundAndDropsTheQueue)
{
    ComPtr<ISpVoice> voice = CreateVoice();
    EventRecorder recorder;
    ASSERT_EQ(recorder.Attach(voice.Get()), S_OK);
    ULONG spoken = 0, queued = 0;
    StartLongSample(voice.Get(), &spoken);
    ASSERT_EQ(voice->Speak(L"This is never heard.", SPF_ASYNC, &queued), S_OK);

    Stopwatch watch;
    ASSERT_EQ(voice->Speak(nullptr, SPF_PURGEBEFORESPEAK, nullptr), S_OK);
    double returned = watch.Seconds();
    size_t sizeAtReturn = audio.FileSize();
    ASSERT_TRUE(audio.SettlesWithin(300, 5000));
    std::printf("purge: Speak returned after %.1f ms; %zu bytes of sound reached the device after it\n",
                returned * 1000, audio.FileSize() - sizeAtReturn);
    EXPECT_LT(returned, 0.5);
    EXPECT_EQ(audio.FileSize(), sizeAtReturn) << "sound went on after the purge";
    EXPECT_LT(WithoutSilentEnds(audio.Heard()).size(), ReferenceFor("long").size() / 2);
    EXPECT_EQ(voice->WaitUntilDone(0), S_OK);

    ASSERT_TRUE(PumpMessagesUntil([&] { return recorder.HasEnded(spoken); }, 5000)) << "the cut stream still ends";
    PumpMessagesUntil([] { return false; }, 200);
    for (const EventRecorder::Event &event : recorder.events)
        EXPECT_NE(event.stream, queued) << "a purged request must not start";

    audio.Clear();
    SpeakSample(voice.Get(), SampleNamed("english"));
    EXPECT_TRUE(SameSound(audio.Heard(), ReferenceFor("english"))) << "the voice speaks on after a purge";
}

TEST_F(VoiceControl, PurgeWhileIdleAnswersAtOnce)
{
    ComPtr<ISpVoice> voice = CreateVoice();
    Stopwatch watch;
    EXPECT_EQ(voice->Speak(nullptr, SPF_PURGEBEFORESPEAK, nullptr), S_OK);
    EXPECT_LT(watch.Seconds(), 0.2);
}

TEST_F(VoiceControl, PauseHoldsTheSoundAndResumeGoesOnWhereItStopped)
{
    ComPtr<ISpVoice> voice = CreateVoice();
    StartLongSample(voice.Get());

    Stopwatch watch;
    ASSERT_EQ(voice->Pause(), S_OK);
    double returned = watch.Seconds();
    size_t sizeAtReturn = audio.FileSize();
    ASSERT_TRUE(audio.SettlesWithin(300, 5000)) << "sound goes on while paused";
    size_t held = audio.FileSize();
    std::printf("pause: returned after %.1f ms; %zu bytes reached the device after it\n", returned * 1000,
                held - sizeAtReturn);
    Sleep(700);
    EXPECT_EQ(audio.FileSize(), held) << "sound while paused";
    EXPECT_EQ(voice->WaitUntilDone(100), S_FALSE) << "a paused voice is not done";

    ASSERT_EQ(voice->Resume(), S_OK);
    ASSERT_EQ(voice->WaitUntilDone(kSpeakTimeoutMs), S_OK);
    EXPECT_TRUE(SameSound(audio.Heard(), ReferenceFor("long"))) << "nothing lost or repeated across the pause";
}

TEST_F(VoiceControl, EveryPauseNeedsItsResume)
{
    ComPtr<ISpVoice> voice = CreateVoice();
    ASSERT_EQ(voice->Resume(), S_OK) << "resuming a voice that is not paused does nothing";
    ASSERT_EQ(voice->Pause(), S_OK);
    ASSERT_EQ(voice->Pause(), S_OK);
    ASSERT_EQ(voice->Speak(SampleNamed("english").text.c_str(), SPF_ASYNC, nullptr), S_OK);
    EXPECT_LT(audio.SecondsUntilSound(1000), 0) << "a voice paused before speaking stays silent";
    ASSERT_EQ(voice->Resume(), S_OK);
    EXPECT_LT(audio.SecondsUntilSound(1000), 0) << "one pause is left";
    ASSERT_EQ(voice->Resume(), S_OK);
    ASSERT_EQ(voice->WaitUntilDone(kSpeakTimeoutMs), S_OK);
    EXPECT_TRUE(SameSound(audio.Heard(), ReferenceFor("english")));
}

TEST_F(VoiceControl, ReleasingASpeakingVoiceSilencesItPromptly)
{
    ISpVoice *voice = CreateVoice().Detach();
    ASSERT_TRUE(voice);
    StartLongSample(voice);
    Stopwatch watch;
    EXPECT_EQ(voice->Release(), 0u);
    double returned = watch.Seconds();
    std::printf("release while speaking took %.1f ms\n", returned * 1000);
    EXPECT_LT(returned, 1.0);
    EXPECT_TRUE(audio.SettlesWithin(300, 2000));
}

}  // namespace
