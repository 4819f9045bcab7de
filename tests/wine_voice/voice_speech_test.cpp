// What the espeak-ng voice says, heard through Wine's audio: every sample
// must come out exactly as espeak-ng itself renders the same text.
#include <sperror.h>

#include "voice_test_support.h"

namespace {

class VoiceSpeech : public WineVoiceTest
{
};

// Writes text to a file of the temporary folder in one of the encodings
// text files come in; answers its path.
std::wstring WriteTextFile(const wchar_t *name, const std::string &prefix, const std::wstring &text, UINT codePage)
{
    std::string bytes = prefix;
    if (codePage == 1200)
        bytes.append(reinterpret_cast<const char *>(text.data()), text.size() * sizeof(wchar_t));
    else
    {
        int length = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
        std::string encoded(length, '\0');
        WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), encoded.data(), length,
                            nullptr, nullptr);
        bytes += encoded;
    }
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    std::wstring path = std::wstring(folder) + name;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return path;
}

TEST_F(VoiceSpeech, EachVoiceSoundsExactlyLikeEspeakNg)
{
    for (const VoiceSample &sample : VoiceSamples())
    {
        if (sample.name.rfind("long", 0) == 0) continue;  // heard whole by the pause tests
        SCOPED_TRACE(sample.name);
        audio.Clear();
        ComPtr<ISpVoice> voice = CreateVoice();
        ASSERT_TRUE(voice);
        SpeakSample(voice.Get(), sample);
        testing::AssertionResult same = SameSound(audio.Heard(), ReferenceFor(sample.name));
        EXPECT_TRUE(same);
        std::printf("%-10s %s\n", sample.name.c_str(), same.message());
    }
}

TEST_F(VoiceSpeech, VolumeScalesEverySample)
{
    const VoiceSample &sample = SampleNamed("english");
    for (USHORT volume : {50, 0, 100})
    {
        SCOPED_TRACE(volume);
        audio.Clear();
        ComPtr<ISpVoice> voice = CreateVoice();
        ASSERT_EQ(voice->SetVolume(volume), S_OK);
        SpeakSample(voice.Get(), sample);
        Samples heard = audio.Heard();
        if (volume == 0)
            EXPECT_TRUE(WithoutSilentEnds(heard).empty()) << "volume 0 is silence";
        else
            EXPECT_TRUE(SameSound(heard, Scaled(ReferenceFor(sample.name), volume)));
    }
}

TEST_F(VoiceSpeech, FilesAreReadInEachTextEncoding)
{
    const VoiceSample &sample = SampleNamed("mandarin");
    ASSERT_EQ(GetACP(), 936u) << "the ANSI case needs the Chinese code page (LANG=zh_CN.UTF-8)";
    struct Encoding
    {
        const char *name;
        const char *prefix;
        UINT codePage;
    } encodings[] = {
        {"ANSI", "", CP_ACP},
        {"UTF-8 with BOM", "\xEF\xBB\xBF", CP_UTF8},
        {"UTF-16 with BOM", "\xFF\xFE", 1200},
    };
    for (const Encoding &encoding : encodings)
    {
        SCOPED_TRACE(encoding.name);
        audio.Clear();
        std::wstring path = WriteTextFile(L"wine-voice-sample.txt", encoding.prefix, sample.text, encoding.codePage);
        ComPtr<ISpVoice> voice = CreateVoice();
        ASSERT_EQ(voice->SetVoice(VoiceToken(sample.token).Get()), S_OK);
        ASSERT_EQ(voice->Speak(path.c_str(), SPF_ASYNC | SPF_IS_FILENAME, nullptr), S_OK);
        ASSERT_EQ(voice->WaitUntilDone(kSpeakTimeoutMs), S_OK);
        EXPECT_TRUE(SameSound(audio.Heard(), ReferenceFor(sample.name)));
        DeleteFileW(path.c_str());
    }
}

TEST_F(VoiceSpeech, MarkupIsObeyedNotSpoken)
{
    const std::wstring english = SampleNamed("english").text;
    struct Case
    {
        const char *what;
        DWORD flags;
        std::wstring text;
    } cases[] = {
        {"SAPI XML", SPF_IS_XML, L"<voice required=\"Gender=Male\"><bookmark mark=\"a\"/>" + english + L"</voice>"},
        {"XML detected by its first character", 0, L"<context id=\"text\">" + english + L"</context>"},
        {"SSML", SPF_IS_XML, L"<speak version=\"1.0\"><mark name=\"a\"/>" + english + L"</speak>"},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.what);
        audio.Clear();
        ComPtr<ISpVoice> voice = CreateVoice();
        ASSERT_EQ(voice->Speak(c.text.c_str(), SPF_ASYNC | c.flags, nullptr), S_OK);
        ASSERT_EQ(voice->WaitUntilDone(kSpeakTimeoutMs), S_OK);
        EXPECT_TRUE(SameSound(audio.Heard(), ReferenceFor("english")));
    }
}

TEST_F(VoiceSpeech, SilenceTagMakesAPauseOnlyInMarkup)
{
    const wchar_t *tagged = L"<silence msec=\"1500\"/>";
    struct Case
    {
        const char *what;
        DWORD flags;
        std::wstring text;
        bool pause;
    } cases[] = {
        {"SAPI XML", SPF_IS_XML, std::wstring(L"one") + tagged + L"two", true},
        {"detected XML", 0, std::wstring(L"<pitch middle=\"0\">one") + tagged + L"two</pitch>", true},
        {"text not starting with a tag", 0, std::wstring(L"one") + tagged + L"two", false},
        {"text declared not XML", SPF_IS_NOT_XML, std::wstring(tagged) + L"one two", false},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.what);
        audio.Clear();
        ComPtr<ISpVoice> voice = CreateVoice();
        ASSERT_EQ(voice->Speak(c.text.c_str(), SPF_ASYNC | c.flags, nullptr), S_OK);
        ASSERT_EQ(voice->WaitUntilDone(kSpeakTimeoutMs), S_OK);
        double pause = static_cast<double>(LongestSilence(WithoutSilentEnds(audio.Heard()))) / kSampleRate;
        if (c.pause)
            EXPECT_GE(pause, 1.4);
        else
            EXPECT_LT(pause, 1.0);
    }
}

TEST_F(VoiceSpeech, SynchronousSpeakReturnsOnceHeard)
{
    ComPtr<ISpVoice> voice = CreateVoice();
    ASSERT_EQ(voice->Speak(SampleNamed("english").text.c_str(), SPF_DEFAULT, nullptr), S_OK);
    EXPECT_TRUE(SameSound(audio.Heard(), ReferenceFor("english")));
    SPVOICESTATUS status;
    ASSERT_EQ(voice->GetStatus(&status, nullptr), S_OK);
    EXPECT_EQ(status.dwRunningState, static_cast<DWORD>(SPRS_DONE));
    EXPECT_EQ(status.ulLastStreamQueued, 1u);
    EXPECT_EQ(status.hrLastResult, S_OK);
}

TEST_F(VoiceSpeech, BadRequestsAreRefusedAndChangeNothing)
{
    ComPtr<ISpVoice> voice = CreateVoice();
    ASSERT_EQ(voice->SetVoice(VoiceToken(L"eSpeakNG-cmn").Get()), S_OK);
    ComPtr<ISpObjectToken> notAVoice;
    ASSERT_EQ(CoCreateInstance(CLSID_SpObjectToken, nullptr, CLSCTX_ALL, IID_ISpObjectToken, &notAVoice), S_OK);
    ASSERT_EQ(notAVoice->SetId(nullptr, kVoicesCategory, FALSE), S_OK);

    ULONG stream = 99;
    EXPECT_EQ(voice->Speak(nullptr, SPF_ASYNC, &stream), E_INVALIDARG);
    EXPECT_EQ(stream, 0u);
    EXPECT_EQ(voice->Speak(L"text", 0x80000000 | SPF_ASYNC, nullptr), E_INVALIDARG);
    EXPECT_EQ(voice->Speak(L"Z:\\no\\such\\file.txt", SPF_ASYNC | SPF_IS_FILENAME, nullptr),
              HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(voice->SetVolume(101), E_INVALIDARG);
    EXPECT_EQ(voice->SetRate(11), E_INVALIDARG);
    EXPECT_EQ(voice->SetRate(-11), E_INVALIDARG);
    EXPECT_EQ(voice->SetInterest(SPFEI(SPEI_START_INPUT_STREAM) & ~SPFEI_FLAGCHECK, 0), E_INVALIDARG)
        << "interest without SAPI's check bits";
    EXPECT_EQ(voice->SetInterest(SPFEI(SPEI_START_INPUT_STREAM), kStreamEvents), E_INVALIDARG)
        << "queued events must be among the notified ones";
    EXPECT_EQ(voice->SetVoice(notAVoice.Get()), SPERR_NOT_FOUND) << "a token naming no espeak-ng voice";
    EXPECT_EQ(voice->SpeakStream(nullptr, SPF_ASYNC, nullptr), E_NOTIMPL);

    USHORT volume = 0;
    LONG rate = 1;
    EXPECT_EQ(voice->GetVolume(&volume), S_OK);
    EXPECT_EQ(volume, 100);
    EXPECT_EQ(voice->GetRate(&rate), S_OK);
    EXPECT_EQ(rate, 0);
    SpeakSample(voice.Get(), SampleNamed("mandarin"));
    EXPECT_TRUE(SameSound(audio.Heard(), ReferenceFor("mandarin"))) << "still the voice chosen before";
}

TEST_F(VoiceSpeech, ReferencesBalance)
{
    ComPtr<ISpObjectToken> token = VoiceToken(L"eSpeakNG-yue");
    auto references = [](IUnknown *object) {
        object->AddRef();
        return object->Release();
    };
    ULONG tokenReferences = references(token.Get());

    ISpVoice *voice = CreateVoice().Detach();
    ASSERT_TRUE(voice);
    EventRecorder recorder;
    ASSERT_EQ(recorder.Attach(voice), S_OK);
    ASSERT_EQ(voice->SetVoice(token.Get()), S_OK);
    EXPECT_EQ(references(token.Get()), tokenReferences + 1) << "the voice holds its token";
    ISpObjectToken *chosen = nullptr;
    ASSERT_EQ(voice->GetVoice(&chosen), S_OK);
    EXPECT_EQ(chosen, token.Get());
    chosen->Release();

    ComPtr<ISpEventSource> events;
    ASSERT_EQ(voice->QueryInterface(IID_PPV_ARGS(&events)), S_OK);
    events.Reset();
    ASSERT_EQ(voice->Speak(L"你好", SPF_ASYNC, nullptr), S_OK);
    ASSERT_EQ(voice->WaitUntilDone(kSpeakTimeoutMs), S_OK);
    EXPECT_EQ(voice->Release(), 0u) << "nothing else holds the voice";
    EXPECT_EQ(references(token.Get()), tokenReferences) << "the voice let go of its token";
}

}  // namespace
