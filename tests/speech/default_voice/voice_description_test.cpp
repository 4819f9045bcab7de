// Reading a voice's description: the value named after the language, and the token's
// default value only when that value does not exist.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "test_voice.h"
#include "speech/text_to_speech.h"
#include "speech/voice_description.h"

namespace {

// The first voice token of the engine, as the program finds it; null on failure.
ISpObjectToken* FirstVoiceToken()
{
    ISpObjectTokenCategory* category = nullptr;
    if (FAILED(CoCreateInstance(CLSID_SpObjectTokenCategory, nullptr, kVoiceClassContext,
                                IID_ISpObjectTokenCategory, reinterpret_cast<void**>(&category))))
        return nullptr;
    IEnumSpObjectTokens* tokens = nullptr;
    ISpObjectToken* token = nullptr;
    if (SUCCEEDED(category->SetId(test_voice::kVoicesCategory, FALSE)) &&
        SUCCEEDED(category->EnumTokens(L"", L"", &tokens)))
        tokens->Next(1, &token, nullptr);
    if (tokens)
        tokens->Release();
    category->Release();
    return token;
}

struct DescriptionCase {
    const char* name;
    LANGID langId;
    const wchar_t* token;     // one token, in the test voice's notation
    const wchar_t* failures;  // injected into GetStringValue, counted from the first ask
    HRESULT expectedHr;
    const wchar_t* expectedDescription;                    // null: none handed out
    std::vector<std::optional<std::wstring>> namesAsked;   // nullopt: the default value
};

class GetVoiceDescriptionTest : public testing::TestWithParam<DescriptionCase> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(registration.ok());
        test_voice::Reset();
    }
    void TearDown() override { EXPECT_EQ(test_voice::LiveObjectCount(), 0u); }

    test_voice::Registration registration;
};

TEST_P(GetVoiceDescriptionTest, ReadsTheLanguageValueThenTheDefault)
{
    const DescriptionCase& c = GetParam();
    test_voice::SetTokens(test_voice::ParseTokens(c.token));
    ISpObjectToken* token = FirstVoiceToken();
    ASSERT_NE(token, nullptr);
    test_voice::ClearCalls();
    if (c.failures) {
        ASSERT_TRUE(test_voice::AddFailures(c.failures));
    }

    WCHAR* description = nullptr;
    HRESULT hr = GetVoiceDescription(token, c.langId, &description);

    EXPECT_EQ(hr, c.expectedHr);
    if (c.expectedDescription) {
        ASSERT_NE(description, nullptr);
        EXPECT_EQ(std::wstring(description), c.expectedDescription);
    } else {
        EXPECT_EQ(description, nullptr);
    }
    std::vector<std::optional<std::wstring>> asked;
    for (const test_voice::Call& call : test_voice::Calls("GetStringValue"))
        asked.push_back(call.textIsNull ? std::nullopt : std::optional<std::wstring>(call.text));
    EXPECT_EQ(asked, c.namesAsked);

    CoTaskMemFree(description);
    token->Release();
}

const DescriptionCase kDescriptionCases[] = {
    {"ValueOfTheLanguage", 0x0804, L"T|@=Default voice|804=中文女声|409=Chinese Female", nullptr, S_OK,
     L"中文女声", {L"804"}},
    {"OtherLanguage", 0x0409, L"T|@=Default voice|804=中文女声|409=Chinese Female", nullptr, S_OK,
     L"Chinese Female", {L"409"}},
    {"LettersInTheValueName", 0x041E, L"T|@=Default voice|41E=Thai voice", nullptr, S_OK, L"Thai voice", {L"41E"}},
    {"LanguageZero", 0x0000, L"T|@=Default voice|0=Voice zero", nullptr, S_OK, L"Voice zero", {L"0"}},
    {"MissingLanguageFallsBackToTheDefault", 0x0804, L"T|@=Chinese voice|409=English voice", nullptr, S_OK,
     L"Chinese voice", {L"804", std::nullopt}},
    {"NeitherValue", 0x0804, L"T|409=English voice", nullptr, test_voice::kSperrNotFound, nullptr,
     {L"804", std::nullopt}},
    // Only "not found" means the language has no description; any other error is final.
    {"OtherErrorIsNotRetried", 0x0804, L"T|@=Chinese voice", L"GetStringValue=E_FAIL@1", E_FAIL, nullptr, {L"804"}},
    {"DefaultValueError", 0x0804, L"T|@=Chinese voice", L"GetStringValue=E_OUTOFMEMORY@2", E_OUTOFMEMORY, nullptr,
     {L"804", std::nullopt}},
};

INSTANTIATE_TEST_SUITE_P(Cases, GetVoiceDescriptionTest, testing::ValuesIn(kDescriptionCases),
                         [](const testing::TestParamInfo<DescriptionCase>& info) { return info.param.name; });

} // namespace
