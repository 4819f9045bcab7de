// The test voice: a fake SAPI 5.1 speech engine for Vexlorin's tests.
//
// It serves the classes SpVoice {96749377-3391-11D2-9EE3-00C04F797396} and
// SpObjectTokenCategory {A910187F-0C7A-45AC-92CC-59EDAFB77B53} with the calls the program
// makes of its voice and of the voice category, behaving like SAPI 5.1 for them, and
// records every call so that tests can see what the program asked of the engine.
//
// Two ways to use it:
//
// 1. In-process (library vexlorin_test_voice): register the class objects on the test
//    thread; the program's own CoCreateInstance(..., 7, ...) then reaches them.
//
//      #include "test_voice.h"
//      TEST(Speech, SpeaksAsync) {
//        test_voice::Registration reg;            // CoInitialize + CoRegisterClassObject x2
//        test_voice::Reset();                      // fresh record, tokens, failures, speed
//        test_voice::SetTokens(test_voice::ParseTokens(L"V1|@=Chinese voice|804=中文女声"));
//        test_voice::FailMethod("GetStringValue", test_voice::kSperrNotFound, 1);
//        ... run the program's code ...
//        EXPECT_TRUE(test_voice::WaitIdle());      // the worker has spoken everything
//        test_voice::PumpMessagesUntil([] { return test_voice::CallCount("@Notify") > 0; });
//        auto speaks = test_voice::Calls("Speak");
//        EXPECT_EQ(speaks[0].text, L"你好");  EXPECT_EQ(speaks[0].flags, 1u);
//        EXPECT_EQ(test_voice::LiveObjectCount(), 0u);   // after the program's Destroy
//      }
//
// 2. As a DLL (vexlorin_test_voice.dll) registered in a Wine prefix with
//    scripts/lib/test-voice.sh (vexlorin_test_voice_register), configured by environment
//    variables that are read when the process loads the DLL:
//
//      VEXLORIN_TEST_VOICE_LOG=path             one line per call (format below), flushed
//                                               per line; appended to, never truncated;
//                                               a Unix path is mapped to Wine's DOS path.
//      VEXLORIN_TEST_VOICE_FAIL=rules           failure injection, see AddFailures.
//      VEXLORIN_TEST_VOICE_TOKENS=list          the voice tokens, see ParseTokens.
//      VEXLORIN_TEST_VOICE_MS_PER_CHAR=n        speaking time per character (default 1).
//
// Log line format (also Call::ToString()), UTF-8, one line per record:
//   <seq> tid=<thread id, hex> <object> <Method>[ key=value]...[ -> 0x<HRESULT, 8 hex digits>]
// Strings are quoted with \\ \" \n \r \t escaped; a NULL string is written as NULL; an
// output string (value=, object=) is left out when the call failed without one.
// Objects are named voice#N, category#N, enum#N, token#N, factory:SpVoice and
// factory:SpObjectTokenCategory. AddRef/Release lines carry refs=<new count> and no result.
// The DLL also writes "config pid=N tokens=... ms_per_char=... fail_rules=..." and "dll load
// path=..." when the process loads it, and "dll unload
// live_objects=N reason=FreeLibrary|process-exit" when it is unloaded or the process ends.
//
// Pseudo-calls (recorded like calls, not made by the program):
//   @StartStream / @EndStream  the engine queued SPEI_START/END_INPUT_STREAM (stream=, offset=)
//                              - recorded whatever the interest mask, with queued=0/1 saying
//                              whether the event went into the queue;
//   @Purged                    a request was discarded before it started (stream=);
//   @Notify                    the notification callback is about to be called (on the
//                              registering thread, via the voice's message-only window).
//
// SAPI behaviour reproduced (and choices made where SAPI leaves room):
// - SetInterest validates like SAPI's CSpEventSource: a non-zero mask must contain both
//   check bits 30 and 33, and the queued mask must be a subset of the event mask, else
//   E_INVALIDARG. The default interest of a new voice is 0 for both (as SAPI's voice).
//   An event in the event mask raises a notification; it is queued only when it is also in
//   the queued mask.
// - Speak: flags outside SAPI 5.1's SPF_VOICE_MASK (0x7F), or SPF_IS_XML with
//   SPF_IS_NOT_XML, answer E_INVALIDARG; NULL text answers E_INVALIDARG unless
//   SPF_PURGEBEFORESPEAK (2) is set, in which case it is a pure purge that answers S_OK and
//   assigns no stream number. Every accepted text gets the next stream number (1, 2, ...
//   per voice), written to *streamNumber when given. SPF_IS_FILENAME does not open the
//   file: the name itself is "spoken". Without SPF_ASYNC the call returns when that request
//   has been spoken (or purged). Speaking takes strlen(text) * ms-per-char milliseconds
//   (the speed in force when Speak was called); paused time does not count.
// - SPEI_START_INPUT_STREAM is queued when a request starts (ullAudioStreamOffset 0),
//   SPEI_END_INPUT_STREAM when it ends (offset = characters spoken * 2, a stand-in for
//   bytes of audio); elParamType SPET_LPARAM_IS_UNDEFINED, wParam 0, lParam 0.
// - Purge (SPF_PURGEBEFORESPEAK): requests not yet started vanish without events; the
//   request being spoken is ended at once: its SPEI_END_INPUT_STREAM is queued by the
//   purging Speak call itself before it returns (offset = characters spoken so far * 2).
//   The pause count is not changed by a purge.
// - Pause/Resume keep a count: Pause increments it, Resume decrements it when positive
//   (Resume without Pause: S_OK, no effect). Speaking halts while the count is positive and
//   no new request starts.
// - WaitUntilDone(ms): S_OK once nothing is queued or being spoken, S_FALSE on timeout;
//   INFINITE waits for ever. It does not pump messages (notifications stay posted).
// - SetVolume(n > 100): E_INVALIDARG. SetVoice(token): records token->GetId() and keeps one
//   reference to the token until the next SetVoice or the voice's destruction;
//   SetVoice(NULL) returns to the default voice.
// - SetNotifyCallbackFunction(fn, w, l) (fn NULL: E_INVALIDARG) creates a message-only
//   window on the calling thread; the worker posts a private message to it and the window
//   procedure calls fn(w, l). Notifications are coalesced: one posted message stands for
//   every event queued before the callback runs. Registering while events are queued
//   notifies at once, as SAPI does.
// - GetEvents(n, array, fetched): S_OK when n events were copied, S_FALSE when fewer;
//   fetched may be NULL; array NULL: E_INVALIDARG.
// - Category: SetId(kVoicesCategory, any) answers S_OK (compared case-insensitively, like
//   registry paths); any other id SPERR_NOT_FOUND; a second SetId
//   SPERR_ALREADY_INITIALIZED; EnumTokens before SetId SPERR_UNINITIALIZED. EnumTokens
//   answers S_OK with an enumerator of the configured tokens in order (empty list: S_OK and
//   an empty enumerator); attribute strings are recorded, not used for filtering.
// - Enumerator: Next(n, tokens, fetched) S_OK when n were handed out, else S_FALSE (fetched
//   may be NULL only when n == 1); each Next creates new token objects that the enumerator
//   does not keep. GetCount, Reset, Skip, Clone and Item (SPERR_NO_MORE_ITEMS past the end)
//   work. Tokens: GetId and GetStringValue hand out CoTaskMemAlloc strings; a missing value
//   answers SPERR_NOT_FOUND with *ppsz NULL. Value names compare case-insensitively.
// - Every other method of these interfaces answers E_NOTIMPL and is recorded.
//
// Failure injection (FailMethod / VEXLORIN_TEST_VOICE_FAIL): a rule fires on every call
// of the method, or only on its Nth call counted from when the rule was set. A failing
// HRESULT makes the method do nothing but clear its out-parameters; a success HRESULT (for
// example S_FALSE for EnumTokens) lets the method work normally and then replaces its
// result. Rules exist for: Speak, Pause, Resume, SetVolume, WaitUntilDone, GetEvents,
// SetInterest, SetNotifyCallbackFunction, SetVoice, SetId, EnumTokens, Next,
// GetStringValue, GetId, GetCount, Item. Creation failures (FailCreation) make the class
// factory's CreateInstance answer the HRESULT, so CoCreateInstance fails with it.
#pragma once

#include <windows.h>
#include <sapi.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace test_voice {

// {96749377-3391-11D2-9EE3-00C04F797396}
extern const CLSID kClsidSpVoice;
// {A910187F-0C7A-45AC-92CC-59EDAFB77B53}
extern const CLSID kClsidSpObjectTokenCategory;

constexpr HRESULT kSperrUninitialized = static_cast<HRESULT>(0x80045001);
constexpr HRESULT kSperrAlreadyInitialized = static_cast<HRESULT>(0x80045002);
constexpr HRESULT kSperrNoMoreItems = static_cast<HRESULT>(0x80045039);
constexpr HRESULT kSperrNotFound = static_cast<HRESULT>(0x8004503A);
constexpr wchar_t kVoicesCategory[] = L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Speech\\Voices";
constexpr unsigned kDefaultMsPerChar = 1;

// ---- Tokens ---------------------------------------------------------------------------

struct TokenDef {
  std::wstring id;
  std::optional<std::wstring> defaultValue;                    // the unnamed value
  std::vector<std::pair<std::wstring, std::wstring>> values;   // e.g. {L"804", L"中文女声"}
};

// The token list, in enumeration order. Default: no tokens.
void SetTokens(std::vector<TokenDef> tokens);
std::vector<TokenDef> Tokens();

// Parses the token format of VEXLORIN_TEST_VOICE_TOKENS:
//   tokens separated by ';', fields of a token by '|'; the first field is the token id;
//   each further field is  name=value  (a named value),  @=value  or  =value  (the default
//   value), or a text without '=' (also the default value). A value may be empty ("409=").
//   Escapes: %3B ';'  %7C '|'  %3D '='  %25 '%' (any %XX of ASCII is decoded). Empty
//   tokens (";;") are skipped.
//   Example: "TTS_ZH|Chinese voice|804=中文女声|409=Chinese Female;TTS_EN|@=English|409=Anna"
std::vector<TokenDef> ParseTokens(std::wstring_view list);

// ---- Speed ------------------------------------------------------------------------------

void SetMsPerChar(unsigned ms);   // applies to Speak calls made afterwards
unsigned MsPerChar();

// ---- Failure injection --------------------------------------------------------------------

enum class Class { Voice, Category };

// CreateInstance of the class's factory answers hr (so CoCreateInstance fails with it).
void FailCreation(Class cls, HRESULT hr = REGDB_E_CLASSNOTREG);
// Method answers hr on every call (nth == 0) or only on its nth call from now (nth >= 1).
// Several rules may name the same method.
void FailMethod(std::string method, HRESULT hr, unsigned nth = 0);
void ClearFailures();
// Parses VEXLORIN_TEST_VOICE_FAIL and adds its rules: comma-separated items
//   create[=HR]    voice creation fails (default REGDB_E_CLASSNOTREG 0x80040154)
//   category[=HR]  category creation fails (same default)
//   Method=HR[@N]  e.g. Speak=0x80004005, GetStringValue=0x8004503A@2, EnumTokens=S_FALSE
// HR: 0x-hex, decimal, or one of S_OK S_FALSE E_FAIL E_NOTIMPL E_INVALIDARG E_POINTER
// E_OUTOFMEMORY E_UNEXPECTED E_ACCESSDENIED REGDB_E_CLASSNOTREG CLASS_E_CLASSNOTAVAILABLE
// SPERR_NOT_FOUND SPERR_UNINITIALIZED. Returns false when an item could not be parsed (the
// other items still apply).
bool AddFailures(std::wstring_view rules);

// ---- Configuration as a whole -------------------------------------------------------------

// Back to defaults: no calls recorded, no tokens, no failures, kDefaultMsPerChar, object
// numbering restarts. Live objects are not touched (call it when none is alive). The log
// file stays as it is.
void Reset();
// Appends the log lines to this file (see the format above); empty path: no log.
void SetLogFile(const std::wstring& path);
// Reads the four VEXLORIN_TEST_VOICE_* variables (what the DLL does when it is loaded).
// Variables not set leave the configuration as it is.
void ConfigureFromEnvironment();

// ---- The record ------------------------------------------------------------------------

struct Call {
  unsigned long seq = 0;        // order of recording, from 1
  std::string object;           // "voice#1", "token#3", "factory:SpVoice", ...
  std::string method;           // "Speak", "AddRef", "@EndStream", ...
  std::wstring text;            // the main string argument, see below
  bool textIsNull = false;      // that argument was NULL
  std::wstring text2;           // a second string, see below
  unsigned long flags = 0;      // Speak: dwFlags as given
  std::vector<unsigned long long> args;   // numeric arguments, see below
  HRESULT hr = S_OK;            // the result returned (AddRef/Release/@...: 0)
  DWORD threadId = 0;           // the thread that made the call
  std::vector<SPEVENT> events;  // GetEvents: the events handed out

  std::string ToString() const; // the log line (without newline), UTF-8
};
// What the fields hold, per method:
//   Speak                      text, textIsNull, flags; args {flags, stream number or 0}
//   SetInterest                args {eventInterest, queuedInterest}
//   SetNotifyCallbackFunction  args {fn address, wParam, lParam}
//   GetEvents                  args {count, fetched, fetched pointer given 0/1}; events
//   Pause, Resume              -          SetVolume  args {volume}
//   WaitUntilDone              args {ms}  SetVoice   text = token id (textIsNull: NULL token)
//   SetId                      text = id; args {fCreateIfNotExist}
//   EnumTokens                 text = required, text2 = optional (textIsNull: NULL required)
//   Next                       text = ids handed out joined by ';'; args {celt, fetched}
//   GetStringValue             text = value name (textIsNull: NULL), text2 = value returned
//   GetId                      text = id  GetCount args {count}  Item args {index}
//   QueryInterface             text = IID as {...}
//   AddRef, Release            args {new reference count}
//   CreateInstance (factory)   text = IID; text2 = name of the object made
//   @StartStream, @EndStream   args {stream, audio offset, queued 0/1}
//   @Purged                    args {stream}     @Notify  args {wParam, lParam}

std::vector<Call> Calls();                          // everything, in order
std::vector<Call> Calls(std::string_view method);   // only that method
size_t CallCount(std::string_view method);
void ClearCalls();

// ---- Objects ---------------------------------------------------------------------------

struct ObjectInfo {
  std::string name;     // "voice#1"
  std::string kind;     // "voice", "category", "enum", "token"
  long refs = 0;        // live reference count
  std::wstring detail;  // token: its id
};
std::vector<ObjectInfo> LiveObjects();
size_t LiveObjectCount();
long RefCount(std::string_view objectName);   // -1 when no such live object

struct VoiceInfo {
  std::string name;
  unsigned long long eventInterest = 0, queuedInterest = 0;
  USHORT volume = 100;
  int pauseCount = 0;
  std::optional<std::wstring> voiceTokenId;   // set by SetVoice; nullopt: default voice
  size_t pendingRequests = 0;                 // queued, not started
  bool speaking = false;                      // a request is under way (maybe paused)
  size_t queuedEvents = 0;                    // waiting for GetEvents
  DWORD notifyThreadId = 0;                   // thread that registered the callback
};
std::vector<VoiceInfo> Voices();   // live voices, oldest first

// ---- Waiting -----------------------------------------------------------------------------

// True once no voice has anything queued or being spoken (false on timeout, e.g. when
// paused with requests pending).
bool WaitIdle(DWORD timeoutMs = 5000);
// Dispatches this thread's messages until done() answers true (true) or the timeout ends
// (false). Notifications reach their callbacks only while the registering thread pumps.
bool PumpMessagesUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000);
// Dispatches the messages already waiting for this thread.
void PumpPendingMessages();

// ---- Registration ----------------------------------------------------------------------

// RAII: initialises COM on the calling thread (CoInitialize, apartment-threaded, like the
// program) and registers the class objects of SpVoice and SpObjectTokenCategory with
// CoRegisterClassObject(CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE); the destructor revokes
// them and balances its CoInitialize. Create it on the thread that will run the program
// code (Wine looks registered class objects up in the caller's apartment only), and keep
// it alive until the program has released its objects.
class Registration {
 public:
  Registration();
  ~Registration();
  Registration(const Registration&) = delete;
  Registration& operator=(const Registration&) = delete;
  bool ok() const { return SUCCEEDED(voiceHr_) && SUCCEEDED(categoryHr_); }
  HRESULT voiceHr() const { return voiceHr_; }
  HRESULT categoryHr() const { return categoryHr_; }

 private:
  HRESULT initHr_ = E_FAIL, voiceHr_ = E_FAIL, categoryHr_ = E_FAIL;
  DWORD voiceCookie_ = 0, categoryCookie_ = 0;
};

// The class objects themselves (what DllGetClassObject hands out).
HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** ppv);
// True when no object is alive and no LockServer lock is held.
bool CanUnloadNow();

// Writes one free-form line to the log (e.g. a test's own marker).
void LogLine(const std::string& utf8);

}  // namespace test_voice
