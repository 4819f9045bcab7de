#include "speak_request.h"

#include <stdlib.h>
#include <string.h>
#include <sapi.h>
#include "sapi_xml.h"
#include "wide_text.h"

/* Text files may be UTF-16 or UTF-8 with a byte order mark, otherwise they
 * are in the ANSI code page, as Windows' own tools write them. */
static HRESULT decode_file(const BYTE *bytes, DWORD size, WCHAR **text)
{
    UINT code_page = CP_ACP;
    int length;

    if (size >= 2 && bytes[0] == 0xff && bytes[1] == 0xfe)
    {
        DWORD count = (size - 2) / sizeof(WCHAR);
        if (!(*text = malloc((count + 1) * sizeof(WCHAR)))) return E_OUTOFMEMORY;
        memcpy(*text, bytes + 2, count * sizeof(WCHAR));
        (*text)[count] = 0;
        return S_OK;
    }
    if (size >= 3 && bytes[0] == 0xef && bytes[1] == 0xbb && bytes[2] == 0xbf)
    {
        code_page = CP_UTF8;
        bytes += 3;
        size -= 3;
    }
    length = size ? MultiByteToWideChar(code_page, 0, (const char *)bytes, size, NULL, 0) : 0;
    if (size && !length) return HRESULT_FROM_WIN32(GetLastError());
    if (!(*text = malloc((length + 1) * sizeof(WCHAR)))) return E_OUTOFMEMORY;
    if (length) MultiByteToWideChar(code_page, 0, (const char *)bytes, size, *text, length);
    (*text)[length] = 0;
    return S_OK;
}

static HRESULT read_text_file(const WCHAR *path, WCHAR **text)
{
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    LARGE_INTEGER size;
    BYTE *bytes = NULL;
    DWORD read = 0;
    HRESULT hr = S_OK;

    if (file == INVALID_HANDLE_VALUE) return HRESULT_FROM_WIN32(GetLastError());
    if (!GetFileSizeEx(file, &size)) hr = HRESULT_FROM_WIN32(GetLastError());
    else if (size.QuadPart > 64 * 1024 * 1024) hr = E_OUTOFMEMORY;
    else if (!(bytes = malloc(size.QuadPart ? size.QuadPart : 1))) hr = E_OUTOFMEMORY;
    else if (!ReadFile(file, bytes, (DWORD)size.QuadPart, &read, NULL)) hr = HRESULT_FROM_WIN32(GetLastError());
    CloseHandle(file);
    if (SUCCEEDED(hr)) hr = decode_file(bytes, read, text);
    free(bytes);
    return hr;
}

/* Without a flag either way, text that opens with a tag is XML. */
static BOOL is_xml(const WCHAR *text, DWORD flags)
{
    if (flags & SPF_IS_NOT_XML) return FALSE;
    if (flags & SPF_IS_XML) return TRUE;
    while (*text == ' ' || *text == '\t' || *text == '\r' || *text == '\n') text++;
    return *text == '<';
}

HRESULT speak_request_create(const WCHAR *text, DWORD flags, struct speak_request **out)
{
    struct speak_request *request;
    WCHAR *file_text = NULL, *ssml = NULL;
    const WCHAR *source = text;
    HRESULT hr = S_OK;

    *out = NULL;
    if (flags & SPF_IS_FILENAME)
    {
        hr = read_text_file(text, &file_text);
        if (FAILED(hr)) return hr;
        source = file_text;
    }
    if (!(request = calloc(1, sizeof(*request))))
    {
        free(file_text);
        return E_OUTOFMEMORY;
    }

    if (is_xml(source, flags))
    {
        request->ssml = TRUE;
        if (!(flags & SPF_PARSE_SSML) && ((flags & SPF_PARSE_SAPI) || !xml_is_ssml(source)))
        {
            if (!(ssml = sapi_xml_to_ssml(source))) hr = E_OUTOFMEMORY;
            source = ssml;
        }
    }
    if (SUCCEEDED(hr) && !(request->utf8_text = wide_to_utf8(source))) hr = E_OUTOFMEMORY;

    free(ssml);
    free(file_text);
    if (FAILED(hr))
    {
        speak_request_free(request);
        return hr;
    }
    *out = request;
    return S_OK;
}

void speak_request_free(struct speak_request *request)
{
    if (!request) return;
    free(request->utf8_text);
    free(request);
}
