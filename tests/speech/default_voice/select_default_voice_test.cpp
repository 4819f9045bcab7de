// Choosing the default voice among the engine's voices: the first whose description, in
// the user's interface language, names Chinese. Whatever happens, every category,
// enumerator, token, description and copy the choice takes is given back.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "speech/default_voice.h"
#include "speech/text_to_speech.h"
#include "speech/user_ui_language.h"
#include "speech/voice_description.h"
#include "task_memory_watch.h"
#include "test_voice.h"

namespace {

// The value a description is read under for the user running the tests ("804" for a
// Chinese interface).
std::wstring UserLanguageValueName()
{
    WCHAR name[10];
    FormatLangIdHex(GetUserUiLanguage(), name);
    return name;
}

// Descriptions are written as the program will see them once converted: code page 936.
std::wstring FromCodePage936(const char* text)
{
    int length = MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, text, -1, nullptr, 0);
    std::wstring wide(length > 0 ? length - 1 : 0, L'\0');
    if (length > 1)
        MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, text, -1, wide.data(), length);
    // The bytes must come back unchanged, or the case would not test what it says.
    char back[256] = {};
    WideCharToMultiByte(936, 0, wide.c_str(), -1, back, sizeof back, nullptr, nullptr);
    EXPECT_STREQ(back, text) << "not a round trip through code page 936";
    return wide;
}

struct Voice {
    const wchar_t* id;
    const char* inUserLanguage;  // null: the voice has no such value
    const char* byDefault;       // null: no default value
};

std::vector<test_voice::TokenDef> Tokens(const std::vector<Voice>& voices)
{
    std::vector<test_voice::TokenDef> tokens;
    for (const Voice& voice : voices) {
        test_voice::TokenDef token;
        token.id = voice.id;
        if (voice.byDefault)
            token.defaultValue = FromCodePage936(voice.byDefault);
        if (voice.inUserLanguage)
            token.values.emplace_back(UserLanguageValueName(), FromCodePage936(voice.inUserLanguage));
        // A decoy under a name a sloppy formatting would produce.
        token.values.emplace_back(L"0" + UserLanguageValueName(), L"Chinese decoy");
        tokens.push_back(std::move(token));
    }
    return tokens;
}

class SelectionTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(registration.ok());
        ASSERT_TRUE(TaskMemoryWatchActive()) << "COM refused the malloc spy";
        test_voice::Reset();
        ASSERT_EQ(CoCreateInstance(CLSID_SpVoice, nullptr, kVoiceClassContext, IID_ISpVoice,
                                   reinterpret_cast<void**>(&holder.voice)),
                  S_OK);
    }

    void TearDown() override
    {
        if (ISpVoice* voice = holder.voice) {
            holder.voice = nullptr;
            voice->Release();
        }
        EXPECT_EQ(test_voice::LiveObjectCount(), 0u);
    }

    // Runs the selection and checks that it gave back everything it took.
    bool Select()
    {
        TaskMemoryMark mark = MarkTaskMemory();
        bool selected = SelectDefaultVoice(holder);
        EXPECT_EQ(TaskMemoryOutstandingSince(mark), 0u) << "a description or a copy of one was not freed";
        size_t descriptions = 0;
        for (const test_voice::Call& call : test_voice::Calls("GetStringValue"))
            descriptions += call.hr == S_OK;
        EXPECT_GE(TaskMemoryAllocatedSince(mark), descriptions) << "the malloc spy missed allocations";
        ExpectOnlyTheVoiceHoldsReferences();
        return selected;
    }

    // The voice keeps the token it was given; nothing else may stay alive.
    void ExpectOnlyTheVoiceHoldsReferences()
    {
        std::optional<std::wstring> selected = test_voice::Voices().at(0).voiceTokenId;
        for (const test_voice::ObjectInfo& object : test_voice::LiveObjects()) {
            if (object.kind == "voice" || (object.kind == "token" && selected == object.detail))
                EXPECT_EQ(object.refs, 1) << object.name;
            else
                ADD_FAILURE() << object.name << " left with " << object.refs << " reference(s)";
        }
    }

    test_voice::Registration registration;
    VoiceHolder holder{nullptr};
};

// The id of the token the enumerator handed out last before that point of the record.
std::wstring TokenLastHandedOutBefore(unsigned long seq)
{
    std::wstring id;
    for (const test_voice::Call& call : test_voice::Calls("Next")) {
        if (call.seq < seq)
            id = call.text;
    }
    return id;
}

struct SelectionCase {
    const char* name;
    std::vector<Voice> voices;  // in enumeration order
    const wchar_t* failures;    // injected into the engine, in its notation
    const wchar_t* handedToSetVoice;  // null: SetVoice is not called
    bool answer;
};

class SelectDefaultVoiceTest : public SelectionTest, public testing::WithParamInterface<SelectionCase> {};

TEST_P(SelectDefaultVoiceTest, ChoosesTheFirstChineseVoice)
{
    const SelectionCase& c = GetParam();
    test_voice::SetTokens(Tokens(c.voices));
    if (c.failures) {
        ASSERT_TRUE(test_voice::AddFailures(c.failures));
    }

    EXPECT_EQ(Select(), c.answer);

    std::vector<test_voice::Call> setVoice = test_voice::Calls("SetVoice");
    if (c.handedToSetVoice) {
        ASSERT_EQ(setVoice.size(), 1u);
        EXPECT_EQ(TokenLastHandedOutBefore(setVoice[0].seq), c.handedToSetVoice);
        EXPECT_LT(test_voice::Calls("Next").back().seq, setVoice[0].seq) << "the search went on after SetVoice";
    } else {
        EXPECT_TRUE(setVoice.empty()) << "SetVoice with "
                                      << testing::PrintToString(TokenLastHandedOutBefore(setVoice[0].seq));
    }
    std::optional<std::wstring> expectedVoice;
    if (c.answer)
        expectedVoice = c.handedToSetVoice;
    EXPECT_EQ(test_voice::Voices().at(0).voiceTokenId, expectedVoice);
}

// Each voice is first asked for the value of the user's language, and for its default
// value only when that value does not exist.
TEST_P(SelectDefaultVoiceTest, AsksForTheLanguageValueThenTheDefault)
{
    const SelectionCase& c = GetParam();
    test_voice::SetTokens(Tokens(c.voices));
    if (c.failures) {
        ASSERT_TRUE(test_voice::AddFailures(c.failures));
    }
    Select();

    std::map<std::string, std::vector<test_voice::Call>> asksByToken;
    for (const test_voice::Call& call : test_voice::Calls("GetStringValue"))
        asksByToken[call.object].push_back(call);
    for (const auto& [token, asks] : asksByToken) {
        SCOPED_TRACE(token);
        ASSERT_LE(asks.size(), 2u);
        EXPECT_FALSE(asks[0].textIsNull);
        EXPECT_EQ(asks[0].text, UserLanguageValueName());
        if (asks.size() == 2) {
            EXPECT_EQ(asks[0].hr, test_voice::kSperrNotFound);
            EXPECT_TRUE(asks[1].textIsNull);
        } else {
            EXPECT_NE(asks[0].hr, test_voice::kSperrNotFound) << "the default value was not asked for";
        }
    }
}

const SelectionCase kSelectionCases[] = {
    {"FirstChineseVoiceInOrderWins",
     {{L"EN", "English voice", "English"}, {L"ZH1", "Chinese Female", nullptr}, {L"ZH2", "Chinese Male", nullptr}},
     nullptr, L"ZH1", true},
    {"LatinWordInCapitals", {{L"EN", "English", nullptr}, {L"ZH", "MICROSOFT SIMPLIFIED CHINESE", nullptr}}, nullptr,
     L"ZH", true},
    {"LatinWordInMixedCase", {{L"ZH", "Voice (cHiNeSe)", nullptr}}, nullptr, L"ZH", true},
    {"ChineseWordAlone", {{L"EN", "English", nullptr}, {L"ZH", "普通话女声（中文）", nullptr}}, nullptr, L"ZH", true},
    {"LanguageValueOutranksTheDefault",
     {{L"A", "English voice", "Chinese voice"}, {L"B", "中文女声", "English voice"}}, nullptr, L"B", true},
    {"DefaultValueWhenTheLanguageHasNone", {{L"EN", "English", nullptr}, {L"ZH", nullptr, "Chinese voice"}}, nullptr,
     L"ZH", true},
    {"VoiceWithoutDescriptionIsSkipped", {{L"X", nullptr, nullptr}, {L"ZH", "Chinese", nullptr}}, nullptr, L"ZH",
     true},
    {"ReadErrorSkipsTheVoice", {{L"A", nullptr, "Chinese voice"}, {L"B", "Chinese voice", nullptr}},
     L"GetStringValue=E_FAIL@1", L"B", true},
    {"DefaultValueReadErrorSkipsTheVoice", {{L"A", nullptr, "Chinese voice"}, {L"B", "Chinese voice", nullptr}},
     L"GetStringValue=E_ACCESSDENIED@2", L"B", true},
    // 0x81 0x43 is one character: its trail byte 'C' neither lowers nor starts the word.
    {"CapitalTrailByteIsNoLatinWord", {{L"A", "\x81" "CHINESE voice", nullptr}, {L"B", "Chinese", nullptr}}, nullptr,
     L"B", true},
    {"LatinWordStartingInsideACharacter", {{L"A", "\x81" "chinese", nullptr}, {L"B", "Chinese", nullptr}}, nullptr,
     L"B", true},
    // B0 D6 | D0 CE | C4 E3 holds the bytes of "中文" across three characters.
    {"ChineseWordStraddlingCharacters", {{L"A", "\xB0\xD6\xD0\xCE\xC4\xE3", nullptr}, {L"B", "中文", nullptr}},
     nullptr, L"B", true},
    {"NoChineseVoiceKeepsTheDefault", {{L"EN", "English voice", "English"}, {L"DE", "Deutsche Stimme", "German"}},
     nullptr, nullptr, false},
    {"NoVoices", {}, nullptr, nullptr, false},
    {"FailedSetVoiceEndsTheSearch", {{L"ZH1", "Chinese", nullptr}, {L"ZH2", "Chinese", nullptr}}, L"SetVoice=E_FAIL",
     L"ZH1", false},
    {"FailedNextEndsTheSearch", {{L"EN", "English", nullptr}, {L"ZH", "Chinese", nullptr}}, L"Next=E_FAIL@2", nullptr,
     false},
};

INSTANTIATE_TEST_SUITE_P(Cases, SelectDefaultVoiceTest, testing::ValuesIn(kSelectionCases),
                         [](const testing::TestParamInfo<SelectionCase>& info) { return info.param.name; });

// Any failure on the way to the list of voices: no voice is looked at.
class VoiceListFailureTest : public SelectionTest, public testing::WithParamInterface<const wchar_t*> {};

TEST_P(VoiceListFailureTest, AnswersFalseAndLooksAtNoVoice)
{
    test_voice::SetTokens(Tokens({{L"ZH", "Chinese", "Chinese"}}));
    ASSERT_TRUE(test_voice::AddFailures(GetParam()));

    EXPECT_FALSE(Select());
    EXPECT_EQ(test_voice::CallCount("Next"), 0u);
    EXPECT_EQ(test_voice::CallCount("SetVoice"), 0u);
    EXPECT_EQ(test_voice::Voices().at(0).voiceTokenId, std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(Failures, VoiceListFailureTest,
                         testing::Values(L"category", L"category=E_OUTOFMEMORY", L"SetId=SPERR_NOT_FOUND",
                                         L"SetId=E_FAIL", L"EnumTokens=E_FAIL", L"EnumTokens=S_FALSE"));

TEST_F(SelectionTest, ReadsTheVoiceListWithoutCreatingIt)
{
    test_voice::SetTokens(Tokens({{L"ZH", "Chinese", nullptr}}));
    EXPECT_TRUE(Select());
    std::vector<test_voice::Call> setId = test_voice::Calls("SetId");
    ASSERT_EQ(setId.size(), 1u);
    EXPECT_EQ(setId[0].text, test_voice::kVoicesCategory);
    EXPECT_EQ(setId[0].args, std::vector<unsigned long long>{0}) << "the category must not be created";
}

// The speech object chooses its voice as the last step of being built.
class ConstructTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(registration.ok());
        ASSERT_TRUE(TaskMemoryWatchActive());
        test_voice::Reset();
    }
    void TearDown() override
    {
        Destroy(tts);
        EXPECT_EQ(test_voice::LiveObjectCount(), 0u);
    }

    test_voice::Registration registration;
    ETextToSpeech tts{};
};

TEST_F(ConstructTest, SelectsTheChineseVoiceOnceTheCallbackIsRegistered)
{
    test_voice::SetTokens(Tokens(
        {{L"EN", "English voice", nullptr}, {L"ZH1", "Chinese Female", nullptr}, {L"ZH2", "Chinese Male", nullptr}}));
    TaskMemoryMark mark = MarkTaskMemory();

    Construct(tts);
    ASSERT_TRUE(IsAvailable(tts));
    EXPECT_EQ(test_voice::Voices().at(0).voiceTokenId, std::optional<std::wstring>(L"ZH1"));
    std::vector<test_voice::Call> setVoice = test_voice::Calls("SetVoice");
    std::vector<test_voice::Call> notify = test_voice::Calls("SetNotifyCallbackFunction");
    ASSERT_EQ(setVoice.size(), 1u);
    ASSERT_EQ(notify.size(), 1u);
    EXPECT_GT(setVoice[0].seq, notify[0].seq);

    Destroy(tts);
    EXPECT_EQ(TaskMemoryOutstandingSince(mark), 0u);
}

TEST_F(ConstructTest, WithoutAVoiceNoVoiceListIsRead)
{
    test_voice::SetTokens(Tokens({{L"ZH", "Chinese", nullptr}}));
    test_voice::FailCreation(test_voice::Class::Voice);

    Construct(tts);
    EXPECT_FALSE(IsAvailable(tts));
    for (const test_voice::Call& call : test_voice::Calls("CreateInstance"))
        EXPECT_NE(call.object, "factory:SpObjectTokenCategory");
}

} // namespace
