/* Small helpers for UTF-16 strings: copies for ourselves (malloc) and for
 * callers (CoTaskMemAlloc, as SAPI's contract asks), searches, and UTF-8 for
 * espeak-ng.  The C library's wide functions do not apply: a Winelib WCHAR is
 * 16 bits, the library's wchar_t 32. */
#ifndef WIDE_TEXT_H
#define WIDE_TEXT_H

#include <windows.h>

WCHAR *wide_dup(const WCHAR *text);
WCHAR *wide_join(const WCHAR *a, const WCHAR *b, const WCHAR *c);
HRESULT wide_dup_for_caller(const WCHAR *text, WCHAR **out);
BOOL wide_starts_with(const WCHAR *text, const WCHAR *prefix);
BOOL wide_starts_with_nocase(const WCHAR *text, const WCHAR *prefix);
const WCHAR *wide_find(const WCHAR *text, const WCHAR *part);
char *wide_to_utf8(const WCHAR *text);

#endif
