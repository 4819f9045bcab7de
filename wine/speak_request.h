/* One Speak call's text, ready for espeak-ng: read from the named file when
 * asked, classified as plain text, SAPI XML or SSML, and in UTF-8. */
#ifndef SPEAK_REQUEST_H
#define SPEAK_REQUEST_H

#include <windows.h>

struct speak_request
{
    struct speak_request *next;
    ULONG stream;
    char *utf8_text;
    BOOL ssml;
    char voice[64];
    int words_per_minute;
};

HRESULT speak_request_create(const WCHAR *text, DWORD flags, struct speak_request **out);
void speak_request_free(struct speak_request *request);

#endif
