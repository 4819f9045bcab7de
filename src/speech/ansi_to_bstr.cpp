#include "ansi_to_bstr.h"

#include <oleauto.h>

#include "text_to_speech.h"

namespace {

[[noreturn]] void RaiseLastError()
{
    DWORD error = GetLastError();
    throw TextConversionError{error == ERROR_NOT_ENOUGH_MEMORY || error == ERROR_OUTOFMEMORY
                                  ? E_OUTOFMEMORY
                                  : HRESULT_FROM_WIN32(error)};
}

} // namespace

BSTR AnsiToBstr(const char* text)
{
    if (!text)
        return nullptr;
    int bytes = lstrlenA(text);
    if (bytes == 0) {
        BSTR empty = SysAllocStringLen(nullptr, 0);
        if (!empty)
            throw TextConversionError{E_OUTOFMEMORY};
        return empty;
    }
    int chars = MultiByteToWideChar(CP_ACP, 0, text, bytes, nullptr, 0);
    if (chars <= 0)
        RaiseLastError();
    BSTR converted = SysAllocStringLen(nullptr, static_cast<UINT>(chars));
    if (!converted)
        throw TextConversionError{E_OUTOFMEMORY};
    if (MultiByteToWideChar(CP_ACP, 0, text, bytes, converted, chars) != chars) {
        SysFreeString(converted);
        RaiseLastError();
    }
    return converted;
}
