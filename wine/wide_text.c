#include "wide_text.h"

#include <stdlib.h>
#include <string.h>
#include <objbase.h>

WCHAR *wide_dup(const WCHAR *text)
{
    return wide_join(text, NULL, NULL);
}

WCHAR *wide_join(const WCHAR *a, const WCHAR *b, const WCHAR *c)
{
    size_t la = a ? lstrlenW(a) : 0, lb = b ? lstrlenW(b) : 0, lc = c ? lstrlenW(c) : 0;
    WCHAR *joined = malloc((la + lb + lc + 1) * sizeof(WCHAR));
    if (!joined) return NULL;
    memcpy(joined, a, la * sizeof(WCHAR));
    memcpy(joined + la, b, lb * sizeof(WCHAR));
    memcpy(joined + la + lb, c, lc * sizeof(WCHAR));
    joined[la + lb + lc] = 0;
    return joined;
}

HRESULT wide_dup_for_caller(const WCHAR *text, WCHAR **out)
{
    size_t size = (lstrlenW(text) + 1) * sizeof(WCHAR);
    if (!out) return E_POINTER;
    *out = CoTaskMemAlloc(size);
    if (!*out) return E_OUTOFMEMORY;
    memcpy(*out, text, size);
    return S_OK;
}

BOOL wide_starts_with(const WCHAR *text, const WCHAR *prefix)
{
    while (*prefix && *text == *prefix) text++, prefix++;
    return !*prefix;
}

const WCHAR *wide_find(const WCHAR *text, const WCHAR *part)
{
    for (; *text; text++)
        if (wide_starts_with(text, part)) return text;
    return NULL;
}

BOOL wide_starts_with_nocase(const WCHAR *text, const WCHAR *prefix)
{
    int length = lstrlenW(prefix);
    return lstrlenW(text) >= length
        && CompareStringOrdinal(text, length, prefix, length, TRUE) == CSTR_EQUAL;
}

char *wide_to_utf8(const WCHAR *text)
{
    int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, NULL, 0, NULL, NULL);
    char *utf8 = size > 0 ? malloc(size) : NULL;
    if (utf8) WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, size, NULL, NULL);
    return utf8;
}
