#pragma once
#include <windows.h>
#include <sapi.h>

// Writes langId in upper-case hexadecimal without leading zeros ("804", "0"),
// zero-terminated, into a buffer of 10 wide characters.
void FormatLangIdHex(LANGID langId, WCHAR (&buffer)[10]);

// The token's description in the given language: its value named by the language
// id in hexadecimal, else its default value. The caller frees it with CoTaskMemFree.
HRESULT GetVoiceDescription(ISpObjectToken* token, LANGID langId, WCHAR** description);

constexpr HRESULT kSpErrNotFound = static_cast<HRESULT>(0x8004503AL);
