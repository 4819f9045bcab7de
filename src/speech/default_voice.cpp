#include "default_voice.h"

#include "mbcs_text.h"
#include "user_ui_language.h"
#include "voice_description.h"

namespace {

const WCHAR kVoiceCategory[] = L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Speech\\Voices";
const char kChineseWordLatin[] = "chinese";
const char kChineseWord[] = "中文";

// The installed voices, or null when the category cannot be read.
IEnumSpObjectTokens* EnumerateVoices()
{
    ISpObjectTokenCategory* category = nullptr;
    IEnumSpObjectTokens* tokens = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_SpObjectTokenCategory, nullptr, kVoiceClassContext,
                                  IID_ISpObjectTokenCategory, reinterpret_cast<void**>(&category));
    if (SUCCEEDED(hr))
        hr = category->SetId(kVoiceCategory, FALSE);
    if (SUCCEEDED(hr))
        hr = category->EnumTokens(L"", L"", &tokens);
    if (category)
        category->Release();
    if (hr != S_OK && tokens) {
        tokens->Release();
        tokens = nullptr;
    }
    return tokens;
}

// An ANSI copy of a description, from CoTaskMemAlloc; null when it cannot be made.
char* ToAnsi(const WCHAR* text)
{
    int bytes = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0)
        return nullptr;
    auto* ansi = static_cast<char*>(CoTaskMemAlloc(static_cast<SIZE_T>(bytes)));
    if (ansi && WideCharToMultiByte(CP_ACP, 0, text, -1, ansi, bytes, nullptr, nullptr) != bytes) {
        CoTaskMemFree(ansi);
        ansi = nullptr;
    }
    return ansi;
}

bool NamesChinese(const WCHAR* description)
{
    char* ansi = ToAnsi(description);
    if (!ansi)
        return false;
    LowerCaseMbcs(ansi);
    bool chinese = ContainsMbcs(ansi, kChineseWordLatin) || ContainsMbcs(ansi, kChineseWord);
    CoTaskMemFree(ansi);
    return chinese;
}

} // namespace

bool SelectDefaultVoice(VoiceHolder& holder)
{
    IEnumSpObjectTokens* tokens = EnumerateVoices();
    if (!tokens)
        return false;

    bool selected = false;
    ISpObjectToken* token = nullptr;
    while (tokens->Next(1, &token, nullptr) == S_OK && token) {
        // The language is asked afresh for every voice: the user may change it meanwhile.
        LANGID langId = GetUserUiLanguage();
        WCHAR* description = nullptr;
        bool matched = SUCCEEDED(GetVoiceDescription(token, langId, &description)) && description &&
                       NamesChinese(description);
        if (matched)
            selected = SUCCEEDED(holder.voice->SetVoice(token));
        CoTaskMemFree(description);
        token->Release();
        token = nullptr;
        if (matched)
            break;
    }
    tokens->Release();
    return selected;
}
