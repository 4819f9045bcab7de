// One whole speech session (build the object with voices to choose from, speak, stop,
// pause, resume, set the volume, speak and wait, deliver events to a receiver, destroy)
// with one engine call or allocation failing at a time. Whatever fails, every answer
// follows the object's rules, nothing crashes, and every engine reference and every
// block of task memory is given back.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "failing_new.h"
#include "speech/text_to_speech.h"
#include "speech/user_ui_language.h"
#include "speech/voice_description.h"
#include "task_memory_watch.h"
#include "test_voice.h"
#include "ui_runtime/runtime_init.h"
#include "ui_runtime/window_loader.h"

namespace {

constexpr int kWindowId = 7;
constexpr int kReceiverId = 70;

// The voice choice: the first voice is not Chinese, the second is and wins, the third is
// the one left when the second cannot be read.
constexpr wchar_t kEnglish[] = L"EN";
constexpr wchar_t kChinese[] = L"ZH1";
constexpr wchar_t kOtherChinese[] = L"ZH2";
// An odd length: the only task-memory block of this size is the ANSI copy of this
// description (the engine's strings are wide, and BSTRs come in even sizes).
constexpr char kChineseDescription[] = "Chinese voice, one";
static_assert(sizeof kChineseDescription % 2 == 1);

std::vector<WPARAM> gReceived;

void RecordEvent(WPARAM eventId)
{
    gReceived.push_back(eventId);
}

const ControlTemplate kReceiver[] = {
    {kReceiverId, "EDIT", "", 0, 0, 200, 100, WS_VISIBLE | ES_MULTILINE, 0, nullptr, RecordEvent},
};
const WindowTemplate kReceiverWindow = {kWindowId, "receiver", 0, 0, 240, 160, false, WS_OVERLAPPEDWINDOW, 0,
                                        nullptr, kReceiver, 1};

// What is made to fail.
enum class Site {
    Nothing,
    VoiceCreation,
    CategoryCreation,
    EngineMethod,     // method answers hr on its nth call (0: on every call)
    StateBlock,       // the speech object's own blocks
    HolderBlock,
    DescriptionCopy,  // the ANSI copy of the chosen voice's description
    SpokenText,       // the engine's copy of the first text spoken
};

struct Fault {
    Site site = Site::Nothing;
    const char* method = nullptr;
    HRESULT hr = S_OK;
    unsigned nth = 0;
};

// Answers of Speak, Stop, Pause, Resume, SetVolume and Speak-with-wait, one letter each:
// T true, F false, R raised the conversion error E_OUTOFMEMORY.
struct SessionCase {
    const char* name;
    Fault fault;
    bool available;
    const wchar_t* selectedVoice;  // null: the engine's default voice stays
    const char* answers;
    std::vector<WPARAM> events;    // received by the receiver, in order
};

void PrintTo(const SessionCase& c, std::ostream* out)
{
    *out << c.name;
}

constexpr WPARAM S = 1;  // start of a request
constexpr WPARAM E = 2;  // its end

const SessionCase kCases[] = {
    {"NothingFails", {}, true, kChinese, "TTTTTT", {S, E, S, E}},
    // The engine's default voice stays whenever the voice list cannot be read.
    {"VoiceCreation", {Site::VoiceCreation, nullptr, REGDB_E_CLASSNOTREG}, false, nullptr, "FFFFFF", {}},
    {"CategoryCreation", {Site::CategoryCreation, nullptr, REGDB_E_CLASSNOTREG}, true, nullptr, "TTTTTT", {S, E, S, E}},
    {"SetId", {Site::EngineMethod, "SetId", test_voice::kSperrNotFound}, true, nullptr, "TTTTTT", {S, E, S, E}},
    {"EnumTokens", {Site::EngineMethod, "EnumTokens", E_FAIL}, true, nullptr, "TTTTTT", {S, E, S, E}},
    // A list handed out with S_FALSE is not used, but must still be released.
    {"EnumTokensNotOk", {Site::EngineMethod, "EnumTokens", S_FALSE}, true, nullptr, "TTTTTT", {S, E, S, E}},
    {"FirstNext", {Site::EngineMethod, "Next", E_FAIL, 1}, true, nullptr, "TTTTTT", {S, E, S, E}},
    {"NextBeforeTheChineseVoice", {Site::EngineMethod, "Next", E_FAIL, 2}, true, nullptr, "TTTTTT", {S, E, S, E}},
    // An unreadable voice is skipped.
    {"EveryDescription", {Site::EngineMethod, "GetStringValue", E_FAIL}, true, nullptr, "TTTTTT", {S, E, S, E}},
    {"ChineseDescription", {Site::EngineMethod, "GetStringValue", E_FAIL, 2}, true, kOtherChinese, "TTTTTT",
     {S, E, S, E}},
    {"SetVoice", {Site::EngineMethod, "SetVoice", E_FAIL}, true, nullptr, "TTTTTT", {S, E, S, E}},
    // Stop is a request of the same engine call.
    {"EverySpeak", {Site::EngineMethod, "Speak", E_FAIL}, true, kChinese, "FFTTTF", {}},
    {"FirstSpeak", {Site::EngineMethod, "Speak", E_FAIL, 1}, true, kChinese, "FTTTTT", {S, E}},
    {"Pause", {Site::EngineMethod, "Pause", E_FAIL}, true, kChinese, "TTFTTT", {S, E, S, E}},
    // Still paused: the last request waits in the voice until the voice is released.
    {"Resume", {Site::EngineMethod, "Resume", E_FAIL}, true, kChinese, "TTTFTT", {S, E}},
    {"SetVolume", {Site::EngineMethod, "SetVolume", E_INVALIDARG}, true, kChinese, "TTTTFT", {S, E, S, E}},
    {"WaitUntilDone", {Site::EngineMethod, "WaitUntilDone", E_FAIL}, true, kChinese, "TTTTTT", {S, E, S, E}},
    // Events that cannot be fetched stay in the voice and go with it.
    {"EveryGetEvents", {Site::EngineMethod, "GetEvents", E_FAIL}, true, kChinese, "TTTTTT", {}},
    // One failed fetch loses nothing: the next notification delivers the rest in order.
    {"FirstGetEvents", {Site::EngineMethod, "GetEvents", E_FAIL, 1}, true, kChinese, "TTTTTT", {S, E, S, E}},
    {"SetInterest", {Site::EngineMethod, "SetInterest", E_FAIL}, true, kChinese, "TTTTTT", {}},
    {"SetNotifyCallbackFunction", {Site::EngineMethod, "SetNotifyCallbackFunction", E_FAIL}, true, kChinese,
     "TTTTTT", {}},
    {"StateBlock", {Site::StateBlock}, false, nullptr, "FFFFFF", {}},
    {"HolderBlock", {Site::HolderBlock}, false, nullptr, "FFFFFF", {}},
    {"DescriptionCopy", {Site::DescriptionCopy}, true, kOtherChinese, "TTTTTT", {S, E, S, E}},
    {"SpokenText", {Site::SpokenText}, true, kChinese, "RTTTTT", {S, E}},
};

std::wstring FromCodePage936(const char* text)
{
    int length = MultiByteToWideChar(936, 0, text, -1, nullptr, 0);
    std::wstring wide(length > 0 ? length - 1 : 0, L'\0');
    MultiByteToWideChar(936, 0, text, -1, wide.data(), length);
    return wide;
}

std::vector<test_voice::TokenDef> VoicesToChooseFrom()
{
    // Each voice answers in the user's language, so each is read with exactly one call.
    WCHAR language[10];
    FormatLangIdHex(GetUserUiLanguage(), language);
    return {
        {kEnglish, std::nullopt, {{language, L"English voice"}}},
        {kChinese, std::nullopt, {{language, FromCodePage936(kChineseDescription)}}},
        {kOtherChinese, std::nullopt, {{language, FromCodePage936("中文女声")}}},
    };
}

char Answer(bool result)
{
    return result ? 'T' : 'F';
}

// Speak's answer, or R when it raised the out-of-memory conversion error.
char SpeakAnswer(ETextToSpeech& tts, const char* text, std::optional<int> waitMs)
{
    try {
        return Answer(Speak(tts, SpeakPlainText, text, waitMs, ControlAddress{kWindowId, kReceiverId}));
    } catch (const TextConversionError& error) {
        return error.hr == E_OUTOFMEMORY ? 'R' : '?';
    }
}

void Arm(const Fault& fault)
{
    switch (fault.site) {
    case Site::VoiceCreation:
        test_voice::FailCreation(test_voice::Class::Voice, fault.hr);
        break;
    case Site::CategoryCreation:
        test_voice::FailCreation(test_voice::Class::Category, fault.hr);
        break;
    case Site::EngineMethod:
        test_voice::FailMethod(fault.method, fault.hr, fault.nth);
        break;
    case Site::StateBlock:
        FailNthNothrowNew(1);
        break;
    case Site::HolderBlock:
        FailNthNothrowNew(2);
        break;
    case Site::DescriptionCopy:
        RefuseNextTaskMemory(sizeof kChineseDescription);
        break;
    default:
        break;
    }
}

// The fault did happen where the case says, or the case would prove nothing.
void ExpectFaultHit(const Fault& fault, unsigned refusedAllocations)
{
    auto failedCreations = [](const char* factory) {
        size_t count = 0;
        for (const test_voice::Call& call : test_voice::Calls("CreateInstance"))
            count += call.object == factory && FAILED(call.hr);
        return count;
    };
    switch (fault.site) {
    case Site::VoiceCreation:
        EXPECT_EQ(failedCreations("factory:SpVoice"), 1u);
        break;
    case Site::CategoryCreation:
        EXPECT_EQ(failedCreations("factory:SpObjectTokenCategory"), 1u);
        break;
    case Site::EngineMethod: {
        size_t hits = 0;
        for (const test_voice::Call& call : test_voice::Calls(fault.method))
            hits += call.hr == fault.hr;
        EXPECT_GE(hits, 1u) << fault.method << " was never made to fail";
        break;
    }
    case Site::StateBlock:
    case Site::HolderBlock:
    case Site::DescriptionCopy:
    case Site::SpokenText:
        EXPECT_EQ(refusedAllocations, 1u) << "the allocation was not refused";
        break;
    default:
        break;
    }
}

class SessionFaultTest : public testing::TestWithParam<SessionCase> {
protected:
    static void SetUpTestSuite() { RtInit(); }

    void SetUp() override
    {
        ASSERT_TRUE(registration.ok());
        ASSERT_TRUE(TaskMemoryWatchActive()) << "COM refused the malloc spy";
        FailNthNothrowNew(0);
        StopRefusingTaskMemory();
        test_voice::Reset();
        test_voice::SetTokens(VoicesToChooseFrom());
        gReceived.clear();
        window = RtLoadWindow(kReceiverWindow);
    }

    void TearDown() override
    {
        FailNthNothrowNew(0);
        StopRefusingTaskMemory();
        Destroy(tts);
        if (IsWindow(window))
            DestroyWindow(window);
        test_voice::PumpPendingMessages();
    }

    test_voice::Registration registration;
    ETextToSpeech tts{};
    HWND window = nullptr;
};

TEST_P(SessionFaultTest, AnswersByTheRulesAndGivesEverythingBack)
{
    const SessionCase& c = GetParam();
    TaskMemoryMark mark = MarkTaskMemory();
    Arm(c.fault);

    Construct(tts);
    unsigned refused = RefusedNothrowNews() + RefusedTaskMemoryAllocations();
    FailNthNothrowNew(0);
    StopRefusingTaskMemory();
    ASSERT_EQ(IsAvailable(tts), c.available);
    if (c.available) {
        std::optional<std::wstring> selected;
        if (c.selectedVoice)
            selected = c.selectedVoice;
        EXPECT_EQ(test_voice::Voices().at(0).voiceTokenId, selected);
    } else {
        EXPECT_TRUE(test_voice::Voices().empty()) << "a voice was left behind";
    }

    std::string answers;
    if (c.fault.site == Site::SpokenText)
        RefuseNextTaskMemory(0);
    answers += SpeakAnswer(tts, "你好", std::nullopt);
    if (c.fault.site == Site::SpokenText) {
        refused += RefusedTaskMemoryAllocations();
        StopRefusingTaskMemory();
    }
    test_voice::WaitIdle(2000);  // the first request ends on its own, not by the stop below
    test_voice::PumpPendingMessages();
    answers += Answer(Stop(tts));
    answers += Answer(Pause(tts));
    answers += Answer(Resume(tts));
    answers += Answer(SetVolume(tts, 80));
    answers += SpeakAnswer(tts, "再见", 1000);
    EXPECT_EQ(answers, c.answers);

    // Everything spoken has been notified; the receiver gets what the voice lets it fetch.
    test_voice::WaitIdle(300);
    test_voice::PumpMessagesUntil([&] { return gReceived.size() >= c.events.size(); }, 2000);
    test_voice::PumpPendingMessages();
    EXPECT_EQ(gReceived, c.events);
    ExpectFaultHit(c.fault, refused);

    // Only the voice and the voice it was given are alive, each held once.
    for (const test_voice::ObjectInfo& object : test_voice::LiveObjects()) {
        bool chosen = object.kind == "token" && c.available && c.selectedVoice && object.detail == c.selectedVoice;
        if (object.kind == "voice" || chosen)
            EXPECT_EQ(object.refs, 1) << object.name;
        else
            ADD_FAILURE() << object.name << " left alive with " << object.refs << " reference(s)";
    }

    Destroy(tts);
    EXPECT_EQ(test_voice::LiveObjectCount(), 0u) << "an engine reference was not released";
    EXPECT_EQ(TaskMemoryOutstandingSince(mark), 0u) << "task memory was not given back";
    if (c.available) {
        EXPECT_GT(TaskMemoryAllocatedSince(mark), 0u) << "the malloc spy saw nothing";
    }
}

INSTANTIATE_TEST_SUITE_P(OneFailureAtATime, SessionFaultTest, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<SessionCase>& info) { return info.param.name; });

} // namespace
