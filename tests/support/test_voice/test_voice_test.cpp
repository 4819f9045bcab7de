// Tests of the test voice itself, in-process (the library registered with CoRegisterClassObject).
#include "test_voice.h"

#include <gtest/gtest.h>


namespace {

using test_voice::Calls;
using test_voice::CallCount;

constexpr ULONGLONG kProgramInterest = 0x0000000240000006ULL;   // what the program asks for
constexpr DWORD kClsctx7 = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER;

// What the program's notification callback does: drain the events one by one.
struct Sink {
  ISpVoice* voice = nullptr;
  std::vector<SPEVENT> events;
  std::vector<DWORD> threads;
};

void __stdcall Drain(WPARAM w, LPARAM) {
  auto* sink = reinterpret_cast<Sink*>(w);
  sink->threads.push_back(GetCurrentThreadId());
  SPEVENT e;
  while (sink->voice->GetEvents(1, &e, nullptr) == S_OK) sink->events.push_back(e);
}

class TestVoice : public ::testing::Test {
 protected:
  void SetUp() override {
    test_voice::Reset();
    ASSERT_TRUE(reg_.ok()) << std::hex << reg_.voiceHr() << " " << reg_.categoryHr();
  }
  void TearDown() override {
    for (const auto& o : test_voice::LiveObjects()) ADD_FAILURE() << "still alive: " << o.name << " refs=" << o.refs;
  }

  ISpVoice* NewVoice() {
    ISpVoice* v = nullptr;
    EXPECT_EQ(CoCreateInstance(test_voice::kClsidSpVoice, nullptr, kClsctx7, __uuidof(ISpVoice),
                               reinterpret_cast<void**>(&v)),
              S_OK);
    return v;
  }

  // A voice set up the way the program's Construct does it, with `sink` as the callback.
  ISpVoice* ProgramVoice(Sink* sink) {
    ISpVoice* v = NewVoice();
    if (!v) return nullptr;
    sink->voice = v;
    EXPECT_EQ(v->SetInterest(kProgramInterest, kProgramInterest), S_OK);
    EXPECT_EQ(v->SetNotifyCallbackFunction(Drain, reinterpret_cast<WPARAM>(sink), 0), S_OK);
    return v;
  }

  test_voice::Registration reg_;
};

TEST_F(TestVoice, CoCreateInstanceWithContext7ReachesTheRegisteredClasses) {
  ISpVoice* v = NewVoice();
  ASSERT_NE(v, nullptr);
  ISpObjectTokenCategory* cat = nullptr;
  ASSERT_EQ(CoCreateInstance(test_voice::kClsidSpObjectTokenCategory, nullptr, kClsctx7,
                             __uuidof(ISpObjectTokenCategory), reinterpret_cast<void**>(&cat)),
            S_OK);
  auto creates = Calls("CreateInstance");
  ASSERT_EQ(creates.size(), 2u);
  EXPECT_EQ(creates[0].object, "factory:SpVoice");
  EXPECT_EQ(creates[0].text2, L"voice#1");
  EXPECT_EQ(creates[1].text2, L"category#1");
  EXPECT_EQ(test_voice::RefCount("voice#1"), 1);
  EXPECT_EQ(test_voice::LiveObjectCount(), 2u);
  cat->Release();
  v->Release();
  EXPECT_EQ(test_voice::LiveObjectCount(), 0u);
  auto releases = Calls("Release");
  ASSERT_FALSE(releases.empty());
  EXPECT_EQ(releases.back().object, "voice#1");
  EXPECT_EQ(releases.back().args[0], 0u);
}

TEST_F(TestVoice, AsyncSpeakQueuesAndEventsArriveInOrderOnTheRegisteringThread) {
  test_voice::SetMsPerChar(20);
  Sink sink;
  ISpVoice* v = ProgramVoice(&sink);
  ASSERT_NE(v, nullptr);
  ULONG s1 = 0, s2 = 0;
  EXPECT_EQ(v->Speak(L"0123456789", SPF_ASYNC, &s1), S_OK);   // 200 ms of speech
  EXPECT_EQ(v->Speak(L"abcdefghijklmnopqrstuvwxyz", SPF_ASYNC | SPF_IS_XML, &s2), S_OK);   // 520 ms
  EXPECT_FALSE(test_voice::WaitIdle(0));   // both returned with the speech still to come
  EXPECT_EQ(s1, 1u);
  EXPECT_EQ(s2, 2u);

  // Without a message loop nothing reaches the callback.
  ASSERT_TRUE(test_voice::WaitIdle());
  EXPECT_EQ(CallCount("@EndStream"), 2u);
  EXPECT_TRUE(sink.threads.empty());

  ASSERT_TRUE(test_voice::PumpMessagesUntil([&] { return sink.events.size() >= 4; }));
  test_voice::PumpPendingMessages();
  ASSERT_EQ(sink.events.size(), 4u);
  const int ids[] = {SPEI_START_INPUT_STREAM, SPEI_END_INPUT_STREAM, SPEI_START_INPUT_STREAM, SPEI_END_INPUT_STREAM};
  const ULONG streams[] = {1, 1, 2, 2};
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(sink.events[i].eEventId, ids[i]) << i;
    EXPECT_EQ(sink.events[i].ulStreamNum, streams[i]) << i;
    EXPECT_EQ(sink.events[i].elParamType, SPET_LPARAM_IS_UNDEFINED);
    EXPECT_EQ(sink.events[i].wParam, 0u);
    EXPECT_EQ(sink.events[i].lParam, 0);
  }
  EXPECT_EQ(sink.events[1].ullAudioStreamOffset, 20u);
  ASSERT_FALSE(sink.threads.empty());
  for (DWORD t : sink.threads) EXPECT_EQ(t, GetCurrentThreadId());
  for (const auto& c : Calls("@Notify")) EXPECT_EQ(c.threadId, GetCurrentThreadId());
  // The worker reported from its own thread.
  auto starts = Calls("@StartStream");
  ASSERT_EQ(starts.size(), 2u);
  EXPECT_NE(starts[0].threadId, GetCurrentThreadId());

  auto speaks = Calls("Speak");
  ASSERT_EQ(speaks.size(), 2u);
  EXPECT_EQ(speaks[0].text, L"0123456789");
  EXPECT_EQ(speaks[0].flags, 1u);
  EXPECT_EQ(speaks[1].flags, 9u);
  EXPECT_LT(speaks[0].seq, starts[0].seq);   // the call is recorded before its start
  // GetEvents: four S_OK, then S_FALSE with nothing.
  auto gets = Calls("GetEvents");
  ASSERT_GE(gets.size(), 5u);
  EXPECT_EQ(gets.back().hr, S_FALSE);
  EXPECT_EQ(gets.back().args[1], 0u);
  v->Release();
}

TEST_F(TestVoice, GetEventsFillsCountOrAnswersSFalse) {
  test_voice::SetMsPerChar(0);
  ISpVoice* v = NewVoice();
  ASSERT_EQ(v->SetInterest(kProgramInterest, kProgramInterest), S_OK);
  ASSERT_EQ(v->Speak(L"hi", SPF_DEFAULT, nullptr), S_OK);   // synchronous
  SPEVENT e[3];
  ULONG fetched = 99;
  EXPECT_EQ(v->GetEvents(3, e, &fetched), S_FALSE);
  EXPECT_EQ(fetched, 2u);
  EXPECT_EQ(v->GetEvents(1, e, &fetched), S_FALSE);
  EXPECT_EQ(fetched, 0u);
  ASSERT_EQ(v->Speak(L"hi", SPF_DEFAULT, nullptr), S_OK);
  EXPECT_EQ(v->GetEvents(2, e, nullptr), S_OK);
  // Interest 0 (the default) queues nothing.
  ASSERT_EQ(v->SetInterest(0, 0), S_OK);
  ASSERT_EQ(v->Speak(L"hi", SPF_DEFAULT, nullptr), S_OK);
  EXPECT_EQ(v->GetEvents(1, e, &fetched), S_FALSE);
  v->Release();
}

TEST_F(TestVoice, SetInterestChecksLikeSapi) {
  ISpVoice* v = NewVoice();
  EXPECT_EQ(v->SetInterest(0x6, 0x6), E_INVALIDARG);   // no check bits
  EXPECT_EQ(v->SetInterest(0x240000002ULL, 0x240000006ULL), E_INVALIDARG);   // queued not a subset
  EXPECT_EQ(v->SetInterest(kProgramInterest, 0), S_OK);   // notify only
  EXPECT_EQ(v->SetInterest(kProgramInterest, kProgramInterest), S_OK);
  auto info = test_voice::Voices();
  ASSERT_EQ(info.size(), 1u);
  EXPECT_EQ(info[0].eventInterest, kProgramInterest);
  v->Release();
}

TEST_F(TestVoice, PurgeDiscardsTheQueueAndEndsTheRequestBeingSpoken) {
  test_voice::SetMsPerChar(50);
  Sink sink;
  ISpVoice* v = ProgramVoice(&sink);
  ASSERT_EQ(v->Speak(L"a long text being spoken", SPF_ASYNC, nullptr), S_OK);
  ASSERT_EQ(v->Speak(L"never spoken", SPF_ASYNC, nullptr), S_OK);
  ASSERT_TRUE(test_voice::PumpMessagesUntil([] { return CallCount("@StartStream") == 1; }));
  Sleep(120);
  EXPECT_EQ(v->Speak(nullptr, SPF_PURGEBEFORESPEAK, nullptr), S_OK);
  EXPECT_TRUE(test_voice::WaitIdle(0));   // nothing left of the 1.2 s request
  // The END of the purged request is queued by the purge itself.
  auto ends = Calls("@EndStream");
  ASSERT_EQ(ends.size(), 1u);
  EXPECT_EQ(ends[0].args[0], 1u);
  EXPECT_GT(ends[0].args[1], 0u);
  EXPECT_LT(ends[0].args[1], 48u);   // part of the 24 characters
  auto purged = Calls("@Purged");
  ASSERT_EQ(purged.size(), 1u);
  EXPECT_EQ(purged[0].args[0], 2u);
  ASSERT_TRUE(test_voice::PumpMessagesUntil([&] { return sink.events.size() >= 2; }));
  EXPECT_EQ(sink.events[1].eEventId, SPEI_END_INPUT_STREAM);
  // The voice goes on with new requests; a purge with nothing queued is fine.
  ASSERT_EQ(v->Speak(L"x", SPF_ASYNC | SPF_PURGEBEFORESPEAK, nullptr), S_OK);
  EXPECT_TRUE(test_voice::WaitIdle());
  EXPECT_EQ(v->Speak(nullptr, SPF_PURGEBEFORESPEAK, nullptr), S_OK);
  // NULL text without the purge flag, unknown flags, contradictory flags.
  EXPECT_EQ(v->Speak(nullptr, SPF_ASYNC, nullptr), E_INVALIDARG);
  EXPECT_EQ(v->Speak(L"x", 0x80 | SPF_ASYNC, nullptr), E_INVALIDARG);
  EXPECT_EQ(v->Speak(L"x", SPF_IS_XML | SPF_IS_NOT_XML, nullptr), E_INVALIDARG);
  v->Release();
}

TEST_F(TestVoice, PauseHaltsSpeakingUntilResume) {
  test_voice::SetMsPerChar(10);
  Sink sink;
  ISpVoice* v = ProgramVoice(&sink);
  EXPECT_EQ(v->Resume(), S_OK);   // without Pause: harmless
  EXPECT_EQ(v->Pause(), S_OK);
  EXPECT_EQ(v->Pause(), S_OK);
  ASSERT_EQ(v->Speak(L"0123456789", SPF_ASYNC, nullptr), S_OK);
  EXPECT_FALSE(test_voice::WaitIdle(200));
  EXPECT_EQ(CallCount("@StartStream"), 0u);
  EXPECT_EQ(v->Resume(), S_OK);
  EXPECT_FALSE(test_voice::WaitIdle(150));   // still paused once
  EXPECT_EQ(test_voice::Voices()[0].pauseCount, 1);
  EXPECT_EQ(v->Resume(), S_OK);
  EXPECT_TRUE(test_voice::WaitIdle());

  // Pause in the middle of a request stops the clock.
  test_voice::SetMsPerChar(20);
  ASSERT_EQ(v->Speak(L"0123456789", SPF_ASYNC, nullptr), S_OK);   // 200 ms
  ASSERT_TRUE(test_voice::PumpMessagesUntil([] { return CallCount("@StartStream") == 2; }));
  Sleep(50);
  EXPECT_EQ(v->Pause(), S_OK);
  EXPECT_FALSE(test_voice::WaitIdle(400));   // twice the request's length
  EXPECT_TRUE(test_voice::Voices()[0].speaking);
  EXPECT_EQ(CallCount("@EndStream"), 1u);
  EXPECT_EQ(v->Resume(), S_OK);
  EXPECT_TRUE(test_voice::WaitIdle());
  EXPECT_EQ(CallCount("@EndStream"), 2u);
  v->Release();
}

TEST_F(TestVoice, WaitUntilDoneTimesOutOrWaitsForEverything) {
  test_voice::SetMsPerChar(20);
  ISpVoice* v = NewVoice();
  EXPECT_EQ(v->WaitUntilDone(0), S_OK);   // nothing to do
  ASSERT_EQ(v->Speak(L"01234567890123456789012345678901234567890123456789", SPF_ASYNC, nullptr), S_OK);   // 1 s
  EXPECT_EQ(v->WaitUntilDone(100), S_FALSE);
  EXPECT_FALSE(test_voice::WaitIdle(0));   // it gave up with the request under way
  EXPECT_EQ(v->WaitUntilDone(INFINITE), S_OK);
  EXPECT_TRUE(test_voice::WaitIdle(0));
  EXPECT_EQ(CallCount("@EndStream"), 1u);
  EXPECT_EQ(Calls("WaitUntilDone")[2].args[0], 0xFFFFFFFFu);
  // A synchronous Speak returns when its request has been spoken.
  EXPECT_EQ(v->Speak(L"0123456789", SPF_DEFAULT, nullptr), S_OK);
  EXPECT_TRUE(test_voice::WaitIdle(0));
  EXPECT_EQ(CallCount("@EndStream"), 2u);
  v->Release();
}

TEST_F(TestVoice, SetVolumeRange) {
  ISpVoice* v = NewVoice();
  EXPECT_EQ(v->SetVolume(0), S_OK);
  EXPECT_EQ(v->SetVolume(100), S_OK);
  EXPECT_EQ(test_voice::Voices()[0].volume, 100);
  EXPECT_EQ(v->SetVolume(101), E_INVALIDARG);
  auto calls = Calls("SetVolume");
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[2].args[0], 101u);
  EXPECT_EQ(calls[2].hr, E_INVALIDARG);
  // A method the program does not use.
  EXPECT_EQ(v->SetRate(1), E_NOTIMPL);
  v->Release();
}

TEST_F(TestVoice, CreationFailures) {
  test_voice::FailCreation(test_voice::Class::Voice);
  ISpVoice* v = reinterpret_cast<ISpVoice*>(1);
  EXPECT_EQ(CoCreateInstance(test_voice::kClsidSpVoice, nullptr, kClsctx7, __uuidof(ISpVoice),
                             reinterpret_cast<void**>(&v)),
            REGDB_E_CLASSNOTREG);
  EXPECT_EQ(v, nullptr);
  test_voice::FailCreation(test_voice::Class::Category, E_FAIL);
  ISpObjectTokenCategory* cat = nullptr;
  EXPECT_EQ(CoCreateInstance(test_voice::kClsidSpObjectTokenCategory, nullptr, kClsctx7,
                             __uuidof(ISpObjectTokenCategory), reinterpret_cast<void**>(&cat)),
            E_FAIL);
  EXPECT_EQ(test_voice::LiveObjectCount(), 0u);
  test_voice::ClearFailures();
  v = NewVoice();
  ASSERT_NE(v, nullptr);
  v->Release();
}

TEST_F(TestVoice, MethodFailures) {
  test_voice::SetMsPerChar(0);
  test_voice::FailMethod("Speak", E_FAIL, 2);   // only the second Speak
  test_voice::FailMethod("Pause", E_OUTOFMEMORY);
  ISpVoice* v = NewVoice();
  EXPECT_EQ(v->Speak(L"one", SPF_ASYNC, nullptr), S_OK);
  EXPECT_EQ(v->Speak(L"two", SPF_ASYNC, nullptr), E_FAIL);
  EXPECT_EQ(v->Speak(L"three", SPF_ASYNC, nullptr), S_OK);
  EXPECT_EQ(v->Pause(), E_OUTOFMEMORY);
  EXPECT_EQ(v->Pause(), E_OUTOFMEMORY);
  EXPECT_EQ(test_voice::Voices()[0].pauseCount, 0);
  EXPECT_TRUE(test_voice::WaitIdle());
  EXPECT_EQ(CallCount("@StartStream"), 2u);   // "two" was never queued
  auto speaks = Calls("Speak");
  EXPECT_EQ(speaks[1].hr, E_FAIL);
  EXPECT_EQ(speaks[1].text, L"two");

  // A success code replaces the result of a working call.
  test_voice::ClearFailures();
  EXPECT_TRUE(test_voice::AddFailures(L"WaitUntilDone=S_FALSE, SetVolume=0x80070057@1"));
  EXPECT_EQ(v->WaitUntilDone(10), S_FALSE);
  EXPECT_EQ(v->SetVolume(5), E_INVALIDARG);
  EXPECT_EQ(v->SetVolume(5), S_OK);
  EXPECT_FALSE(test_voice::AddFailures(L"Speak=bogus"));
  v->Release();

  test_voice::ClearFailures();
  EXPECT_TRUE(test_voice::AddFailures(L"create=E_FAIL,category"));
  ISpVoice* none = nullptr;
  EXPECT_EQ(CoCreateInstance(test_voice::kClsidSpVoice, nullptr, kClsctx7, __uuidof(ISpVoice),
                             reinterpret_cast<void**>(&none)),
            E_FAIL);
}

TEST_F(TestVoice, ReferenceCountsAndSetVoiceHoldsTheToken) {
  test_voice::SetTokens(test_voice::ParseTokens(L"TOKEN_A|@=Voice A"));
  ISpVoice* v = NewVoice();
  ISpEventSource* source = nullptr;
  ASSERT_EQ(v->QueryInterface(__uuidof(ISpEventSource), reinterpret_cast<void**>(&source)), S_OK);
  EXPECT_EQ(test_voice::RefCount("voice#1"), 2);
  source->Release();
  EXPECT_EQ(test_voice::RefCount("voice#1"), 1);
  IUnknown* other = nullptr;
  EXPECT_EQ(v->QueryInterface(__uuidof(IStream), reinterpret_cast<void**>(&other)), E_NOINTERFACE);

  ISpObjectTokenCategory* cat = nullptr;
  ASSERT_EQ(CoCreateInstance(test_voice::kClsidSpObjectTokenCategory, nullptr, kClsctx7,
                             __uuidof(ISpObjectTokenCategory), reinterpret_cast<void**>(&cat)),
            S_OK);
  ASSERT_EQ(cat->SetId(test_voice::kVoicesCategory, FALSE), S_OK);
  IEnumSpObjectTokens* tokens = nullptr;
  ASSERT_EQ(cat->EnumTokens(L"", L"", &tokens), S_OK);
  cat->Release();
  ISpObjectToken* token = nullptr;
  ASSERT_EQ(tokens->Next(1, &token, nullptr), S_OK);
  EXPECT_EQ(test_voice::RefCount("token#1"), 1);
  EXPECT_EQ(v->SetVoice(token), S_OK);
  EXPECT_EQ(test_voice::RefCount("token#1"), 2);
  token->Release();
  tokens->Release();
  auto live = test_voice::LiveObjects();
  ASSERT_EQ(live.size(), 2u);
  EXPECT_EQ(live[0].name, "voice#1");
  EXPECT_EQ(live[1].name, "token#1");
  EXPECT_EQ(live[1].detail, L"TOKEN_A");
  EXPECT_EQ(live[1].refs, 1);
  EXPECT_EQ(test_voice::Voices()[0].voiceTokenId, std::optional<std::wstring>(L"TOKEN_A"));
  EXPECT_EQ(Calls("SetVoice")[0].text, L"TOKEN_A");
  v->Release();   // releases the token too
  EXPECT_EQ(test_voice::LiveObjectCount(), 0u);
}

TEST_F(TestVoice, TokensAndGetStringValue) {
  auto parsed = test_voice::ParseTokens(
      L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Speech\\Voices\\Tokens\\ZH|中文女声|804=中文女声|409=Chinese Female;"
      L"EN|409=Anna%3B%7C%3D;;NODEFAULT|804=");
  ASSERT_EQ(parsed.size(), 3u);
  EXPECT_EQ(parsed[0].defaultValue, std::optional<std::wstring>(L"中文女声"));
  EXPECT_EQ(parsed[1].values[0].second, L"Anna;|=");
  EXPECT_FALSE(parsed[1].defaultValue.has_value());
  EXPECT_EQ(parsed[2].values[0].second, L"");
  test_voice::SetTokens(parsed);

  ISpObjectTokenCategory* cat = nullptr;
  ASSERT_EQ(CoCreateInstance(test_voice::kClsidSpObjectTokenCategory, nullptr, kClsctx7,
                             __uuidof(ISpObjectTokenCategory), reinterpret_cast<void**>(&cat)),
            S_OK);
  IEnumSpObjectTokens* tokens = nullptr;
  EXPECT_EQ(cat->EnumTokens(L"", L"", &tokens), test_voice::kSperrUninitialized);
  EXPECT_EQ(cat->SetId(L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Speech\\Recognizers", FALSE),
            test_voice::kSperrNotFound);
  EXPECT_EQ(cat->SetId(test_voice::kVoicesCategory, FALSE), S_OK);
  EXPECT_EQ(cat->SetId(test_voice::kVoicesCategory, FALSE), test_voice::kSperrAlreadyInitialized);
  ASSERT_EQ(cat->EnumTokens(L"", L"", &tokens), S_OK);
  cat->Release();

  ULONG count = 0;
  EXPECT_EQ(tokens->GetCount(&count), S_OK);
  EXPECT_EQ(count, 3u);
  ISpObjectToken* t[3] = {};
  ASSERT_EQ(tokens->Next(1, &t[0], nullptr), S_OK);
  ULONG fetched = 0;
  ASSERT_EQ(tokens->Next(3, &t[1], &fetched), S_FALSE);   // only two left
  EXPECT_EQ(fetched, 2u);
  ISpObjectToken* none = reinterpret_cast<ISpObjectToken*>(1);
  EXPECT_EQ(tokens->Next(1, &none, nullptr), S_FALSE);
  EXPECT_EQ(none, nullptr);

  LPWSTR s = nullptr;
  ASSERT_EQ(t[0]->GetId(&s), S_OK);
  EXPECT_EQ(std::wstring(s), parsed[0].id);
  CoTaskMemFree(s);
  ASSERT_EQ(t[0]->GetStringValue(L"804", &s), S_OK);
  EXPECT_STREQ(s, L"中文女声");
  CoTaskMemFree(s);
  ASSERT_EQ(t[0]->GetStringValue(nullptr, &s), S_OK);
  EXPECT_STREQ(s, L"中文女声");
  CoTaskMemFree(s);
  s = reinterpret_cast<LPWSTR>(1);
  EXPECT_EQ(t[1]->GetStringValue(L"804", &s), test_voice::kSperrNotFound);
  EXPECT_EQ(s, nullptr);
  EXPECT_EQ(t[1]->GetStringValue(nullptr, &s), test_voice::kSperrNotFound);
  EXPECT_EQ(t[1]->GetStringValue(L"", &s), test_voice::kSperrNotFound);
  ASSERT_EQ(t[2]->GetStringValue(L"804", &s), S_OK);
  EXPECT_STREQ(s, L"");
  CoTaskMemFree(s);
  EXPECT_EQ(t[0]->GetDWORD(L"x", nullptr), E_NOTIMPL);

  // Failure of one particular GetStringValue call.
  test_voice::FailMethod("GetStringValue", E_FAIL, 2);
  EXPECT_EQ(t[0]->GetStringValue(L"409", &s), S_OK);
  CoTaskMemFree(s);
  EXPECT_EQ(t[0]->GetStringValue(L"409", &s), E_FAIL);
  EXPECT_EQ(s, nullptr);
  EXPECT_EQ(t[0]->GetStringValue(L"409", &s), S_OK);
  CoTaskMemFree(s);
  auto gets = Calls("GetStringValue");
  EXPECT_EQ(gets[0].text, L"804");
  EXPECT_EQ(gets[0].text2, L"中文女声");
  EXPECT_TRUE(gets[1].textIsNull);

  // The rest of the enumerator.
  EXPECT_EQ(tokens->Reset(), S_OK);
  EXPECT_EQ(tokens->Skip(2), S_OK);
  IEnumSpObjectTokens* clone = nullptr;
  ASSERT_EQ(tokens->Clone(&clone), S_OK);
  ISpObjectToken* third = nullptr;
  ASSERT_EQ(clone->Next(1, &third, nullptr), S_OK);
  ASSERT_EQ(third->GetId(&s), S_OK);
  EXPECT_STREQ(s, L"NODEFAULT");
  CoTaskMemFree(s);
  third->Release();
  clone->Release();
  ISpObjectToken* item = nullptr;
  EXPECT_EQ(tokens->Item(3, &item), test_voice::kSperrNoMoreItems);
  ASSERT_EQ(tokens->Item(1, &item), S_OK);
  item->Release();

  for (auto* p : t) p->Release();
  tokens->Release();
}

TEST_F(TestVoice, EmptyTokenListAndInjectedEnumFailure) {
  ISpObjectTokenCategory* cat = nullptr;
  ASSERT_EQ(CoCreateInstance(test_voice::kClsidSpObjectTokenCategory, nullptr, kClsctx7,
                             __uuidof(ISpObjectTokenCategory), reinterpret_cast<void**>(&cat)),
            S_OK);
  ASSERT_EQ(cat->SetId(test_voice::kVoicesCategory, FALSE), S_OK);
  IEnumSpObjectTokens* tokens = nullptr;
  ASSERT_EQ(cat->EnumTokens(L"", L"", &tokens), S_OK);
  ISpObjectToken* t = nullptr;
  EXPECT_EQ(tokens->Next(1, &t, nullptr), S_FALSE);
  tokens->Release();
  test_voice::FailMethod("EnumTokens", S_FALSE);   // works, answers S_FALSE
  ASSERT_EQ(cat->EnumTokens(L"", L"", &tokens), S_FALSE);
  ASSERT_NE(tokens, nullptr);
  tokens->Release();
  test_voice::FailMethod("SetId", test_voice::kSperrNotFound);
  cat->Release();
}

TEST_F(TestVoice, CallbackRegisteredWhileEventsAreQueuedIsNotifiedAtOnce) {
  test_voice::SetMsPerChar(0);
  Sink sink;
  ISpVoice* v = NewVoice();
  sink.voice = v;
  ASSERT_EQ(v->SetInterest(kProgramInterest, kProgramInterest), S_OK);
  ASSERT_EQ(v->Speak(L"x", SPF_DEFAULT, nullptr), S_OK);
  ASSERT_EQ(v->SetNotifyCallbackFunction(Drain, reinterpret_cast<WPARAM>(&sink), 7), S_OK);
  EXPECT_TRUE(test_voice::PumpMessagesUntil([&] { return sink.events.size() == 2; }));
  auto notes = Calls("@Notify");
  ASSERT_EQ(notes.size(), 1u);   // both events, one notification
  EXPECT_EQ(notes[0].args[1], 7u);
  EXPECT_EQ(v->SetNotifyCallbackFunction(nullptr, 0, 0), E_INVALIDARG);
  v->Release();
}

TEST_F(TestVoice, LogLinesDescribeTheCalls) {
  wchar_t dir[MAX_PATH], path[MAX_PATH];
  GetTempPathW(MAX_PATH, dir);
  GetTempFileNameW(dir, L"tvl", 0, path);
  DeleteFileW(path);
  test_voice::SetLogFile(path);
  ISpVoice* v = NewVoice();
  v->Speak(L"你好 \"q\"", SPF_ASYNC | SPF_IS_XML, nullptr);
  test_voice::WaitIdle();
  v->Release();
  test_voice::SetLogFile(L"");
  HANDLE f = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(f, INVALID_HANDLE_VALUE);
  char buf[8192];
  DWORD n = 0;
  ReadFile(f, buf, sizeof buf - 1, &n, nullptr);
  CloseHandle(f);
  DeleteFileW(path);
  std::string log(buf, n);
  EXPECT_NE(log.find(" voice#1 Speak text=\"\xE4\xBD\xA0\xE5\xA5\xBD \\\"q\\\"\" flags=0x9 stream=1 -> 0x00000000\n"),
            std::string::npos)
      << log;
  EXPECT_NE(log.find(" voice#1 Release refs=0\n"), std::string::npos) << log;
  EXPECT_NE(log.find(" factory:SpVoice CreateInstance iid=\"{6C44DF74-72B9-4992-A1EC-EF996E0422D4}\" "
                     "object=\"voice#1\" -> 0x00000000\n"),
            std::string::npos)
      << log;
}

}  // namespace
