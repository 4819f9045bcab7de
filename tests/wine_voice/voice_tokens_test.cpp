// The voices the espeak-ng engine registers, as SAPI's token classes show them.
#include <objbase.h>
#include <sperror.h>

#include "voice_test_support.h"

namespace {

class VoiceTokens : public WineVoiceTest
{
};

struct RegisteredVoice
{
    const wchar_t *key;
    const wchar_t *byDefault;
    const wchar_t *english;
    const wchar_t *chinese;
    const wchar_t *language;
};

// In the order the category lists them: Mandarin before Cantonese, so that a
// program taking the first Chinese voice gets Mandarin.
const RegisteredVoice kVoices[] = {
    {L"eSpeakNG-cmn", L"eSpeak NG Chinese (Mandarin)", L"eSpeak NG Chinese (Mandarin)",
     L"eSpeak NG 中文（普通话）", L"804"},
    {L"eSpeakNG-en-US", L"eSpeak NG English (America)", L"eSpeak NG English (America)",
     L"eSpeak NG 英语（美国）", L"409"},
    {L"eSpeakNG-yue", L"eSpeak NG Chinese (Cantonese)", L"eSpeak NG Chinese (Cantonese)",
     L"eSpeak NG 中文（粤语）", L"C04"},
};

std::wstring TakeString(WCHAR *text)
{
    std::wstring copy = text ? text : L"(null)";
    CoTaskMemFree(text);
    return copy;
}

std::wstring StringValue(ISpDataKey *key, const wchar_t *name)
{
    WCHAR *value = nullptr;
    HRESULT hr = key->GetStringValue(name, &value);
    return SUCCEEDED(hr) ? TakeString(value) : L"error";
}

std::vector<std::wstring> TokenIds(IEnumSpObjectTokens *tokens)
{
    std::vector<std::wstring> ids;
    ComPtr<ISpObjectToken> token;
    while (tokens->Next(1, &token, nullptr) == S_OK)
    {
        WCHAR *id = nullptr;
        EXPECT_EQ(token->GetId(&id), S_OK);
        ids.push_back(TakeString(id));
        token.Reset();
    }
    return ids;
}

std::vector<std::wstring> Enumerate(const wchar_t *required, const wchar_t *optional)
{
    ComPtr<IEnumSpObjectTokens> tokens;
    EXPECT_EQ(VoicesCategory()->EnumTokens(required, optional, &tokens), S_OK);
    return tokens ? TokenIds(tokens.Get()) : std::vector<std::wstring>();
}

TEST_F(VoiceTokens, CategoryListsEachVoiceWithItsDescriptionsAndAttributes)
{
    std::vector<std::wstring> expected;
    for (const RegisteredVoice &voice : kVoices) expected.push_back(kTokensPath + voice.key);
    ASSERT_EQ(Enumerate(L"", L""), expected) << "Wine's own placeholder token must be gone too";

    for (const RegisteredVoice &voice : kVoices)
    {
        SCOPED_TRACE(Narrow(voice.key));
        ComPtr<ISpObjectToken> token = VoiceToken(voice.key);
        EXPECT_EQ(StringValue(token.Get(), nullptr), voice.byDefault);
        EXPECT_EQ(StringValue(token.Get(), L"409"), voice.english);
        EXPECT_EQ(StringValue(token.Get(), L"804"), voice.chinese);

        ComPtr<ISpDataKey> attributes;
        ASSERT_EQ(token->OpenKey(L"Attributes", &attributes), S_OK);
        EXPECT_EQ(StringValue(attributes.Get(), L"Language"), voice.language);
        EXPECT_EQ(StringValue(attributes.Get(), L"Gender"), L"Male");
    }
}

TEST_F(VoiceTokens, StringsAreTheCallersToFreeAndAMissingValueIsNotFound)
{
    ComPtr<ISpObjectToken> token = VoiceToken(L"eSpeakNG-cmn");
    ComPtr<IMalloc> allocator;
    ASSERT_EQ(CoGetMalloc(1, &allocator), S_OK);

    WCHAR *value = nullptr;
    ASSERT_EQ(token->GetStringValue(L"804", &value), S_OK);
    EXPECT_EQ(allocator->DidAlloc(value), 1) << "not allocated with CoTaskMemAlloc";
    CoTaskMemFree(value);

    value = reinterpret_cast<WCHAR *>(1);
    EXPECT_EQ(token->GetStringValue(L"411", &value), SPERR_NOT_FOUND);
    EXPECT_EQ(value, nullptr);
    EXPECT_EQ(token->GetStringValue(L"EspeakVoice", &value), S_OK);
    EXPECT_EQ(TakeString(value), L"cmn");
}

TEST_F(VoiceTokens, AttributesFilterAndOrderTheList)
{
    const std::wstring cmn = kTokensPath + L"eSpeakNG-cmn", en = kTokensPath + L"eSpeakNG-en-US",
                       yue = kTokensPath + L"eSpeakNG-yue";
    struct Case
    {
        const wchar_t *required, *optional;
        std::vector<std::wstring> expected;
    } cases[] = {
        {L"Language=804", nullptr, {cmn}},
        {L"Gender=Male;Language=C04", nullptr, {yue}},
        {L"Language!=409", nullptr, {cmn, yue}},
        {L"Vendor", nullptr, {cmn, en, yue}},
        {L"Gender=Female", nullptr, {}},
        {nullptr, L"Language=409", {en, cmn, yue}},
        {L"", L"Language=C04", {yue, cmn, en}},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(Narrow(std::wstring(c.required ? c.required : L"(null)") + L" / "
                            + (c.optional ? c.optional : L"(null)")));
        EXPECT_EQ(Enumerate(c.required, c.optional), c.expected);
    }

    BOOL matches = FALSE;
    EXPECT_EQ(VoiceToken(L"eSpeakNG-yue")->MatchesAttributes(L"language=c04", &matches), S_OK);
    EXPECT_TRUE(matches) << "attribute values compare without case";
}

TEST_F(VoiceTokens, EnumeratorCountsSkipsAndClones)
{
    ComPtr<IEnumSpObjectTokens> tokens;
    ASSERT_EQ(VoicesCategory()->EnumTokens(nullptr, nullptr, &tokens), S_OK);
    ULONG count = 0;
    EXPECT_EQ(tokens->GetCount(&count), S_OK);
    EXPECT_EQ(count, 3u);

    ISpObjectToken *two[2] = {};
    ULONG fetched = 0;
    EXPECT_EQ(tokens->Next(2, two, nullptr), E_POINTER) << "several tokens need a count";
    EXPECT_EQ(tokens->Next(2, two, &fetched), S_OK);
    EXPECT_EQ(fetched, 2u);
    for (ISpObjectToken *token : two) token->Release();

    ComPtr<IEnumSpObjectTokens> clone;
    ASSERT_EQ(tokens->Clone(&clone), S_OK);
    EXPECT_EQ(TokenIds(clone.Get()), std::vector<std::wstring>{kTokensPath + L"eSpeakNG-yue"});
    EXPECT_EQ(tokens->Skip(5), S_FALSE);
    EXPECT_EQ(tokens->Next(1, two, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 0u);
    EXPECT_EQ(tokens->Reset(), S_OK);

    ComPtr<ISpObjectToken> item;
    EXPECT_EQ(tokens->Item(1, &item), S_OK);
    EXPECT_EQ(StringValue(item.Get(), L"EspeakVoice"), L"en-us");
    EXPECT_EQ(tokens->Item(3, &item), kSpErrNoMoreItems);
}

TEST_F(VoiceTokens, CategoryIdIsSetOnceAndMustExist)
{
    ComPtr<ISpObjectTokenCategory> category;
    ASSERT_EQ(CoCreateInstance(CLSID_SpObjectTokenCategory, nullptr, CLSCTX_ALL, IID_ISpObjectTokenCategory,
                               &category), S_OK);
    ComPtr<IEnumSpObjectTokens> tokens;
    EXPECT_EQ(category->EnumTokens(nullptr, nullptr, &tokens), kSpErrUninitialized);
    EXPECT_EQ(category->SetId(L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Speech\\NoSuchCategory", FALSE),
              SPERR_NOT_FOUND);
    EXPECT_EQ(category->SetId(kVoicesCategory, FALSE), S_OK);
    EXPECT_EQ(category->SetId(kVoicesCategory, FALSE), kSpErrAlreadyInitialized);

    WCHAR *id = nullptr;
    EXPECT_EQ(category->GetId(&id), S_OK);
    EXPECT_EQ(TakeString(id), kVoicesCategory);
    EXPECT_EQ(category->GetDefaultTokenId(&id), S_OK);
    EXPECT_EQ(TakeString(id), kTokensPath + L"eSpeakNG-en-US") << "English is the voices' default";
}

}  // namespace
