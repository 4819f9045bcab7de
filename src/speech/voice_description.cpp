#include "voice_description.h"

void FormatLangIdHex(LANGID langId, WCHAR (&buffer)[10])
{
    static const char kHexDigits[] = "0123456789ABCDEF";
    WCHAR reversed[4];
    int count = 0;
    unsigned value = langId;
    do {
        reversed[count++] = static_cast<WCHAR>(kHexDigits[value & 0xF]);
        value >>= 4;
    } while (value != 0);
    for (int i = 0; i < count; ++i)
        buffer[i] = reversed[count - 1 - i];
    buffer[count] = L'\0';
}

HRESULT GetVoiceDescription(ISpObjectToken* token, LANGID langId, WCHAR** description)
{
    WCHAR name[10];
    FormatLangIdHex(langId, name);
    HRESULT hr = token->GetStringValue(name, description);
    if (hr == kSpErrNotFound)
        hr = token->GetStringValue(nullptr, description);
    return hr;
}
