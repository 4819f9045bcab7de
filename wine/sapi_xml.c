#include "sapi_xml.h"

#include <stdlib.h>
#include <string.h>
#include "wide_text.h"

struct wide_buffer
{
    WCHAR *data;
    size_t length;
    size_t capacity;
    BOOL failed;
};

static void append(struct wide_buffer *buffer, const WCHAR *text, size_t length)
{
    if (buffer->failed) return;
    if (buffer->length + length + 1 > buffer->capacity)
    {
        size_t capacity = max(buffer->capacity * 2, buffer->length + length + 1);
        WCHAR *grown = realloc(buffer->data, capacity * sizeof(WCHAR));
        if (!grown)
        {
            buffer->failed = TRUE;
            return;
        }
        buffer->data = grown;
        buffer->capacity = capacity;
    }
    memcpy(buffer->data + buffer->length, text, length * sizeof(WCHAR));
    buffer->length += length;
    buffer->data[buffer->length] = 0;
}

static void append_text(struct wide_buffer *buffer, const WCHAR *text)
{
    append(buffer, text, lstrlenW(text));
}

static BOOL is_name_char(WCHAR c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')
        || c == '_' || c == '-' || c == ':' || c == '.';
}

static BOOL is_blank(WCHAR c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

/* The '>' closing the tag that starts at tag, skipping quoted values. */
static const WCHAR *tag_end(const WCHAR *tag)
{
    WCHAR quote = 0;
    for (tag++; *tag; tag++)
    {
        if (quote) { if (*tag == quote) quote = 0; }
        else if (*tag == '"' || *tag == '\'') quote = *tag;
        else if (*tag == '>') return tag;
    }
    return NULL;
}

static BOOL name_is(const WCHAR *name, size_t length, const WCHAR *wanted)
{
    return length == (size_t)lstrlenW(wanted)
        && CompareStringOrdinal(name, length, wanted, length, TRUE) == CSTR_EQUAL;
}

/* The value of attribute wanted within [body, end), as a number. */
static BOOL attribute_number(const WCHAR *body, const WCHAR *end, const WCHAR *wanted, unsigned long *value)
{
    size_t wanted_length = lstrlenW(wanted);
    const WCHAR *p = body;
    while (p < end)
    {
        const WCHAR *name = p;
        while (p < end && is_name_char(*p)) p++;
        if (p == name) { p++; continue; }
        if (name_is(name, p - name, wanted) && (size_t)(p - name) == wanted_length)
        {
            while (p < end && is_blank(*p)) p++;
            if (p < end && *p == '=')
            {
                p++;
                while (p < end && is_blank(*p)) p++;
                if (p < end && (*p == '"' || *p == '\'')) p++;
                if (p < end && *p >= '0' && *p <= '9')
                {
                    *value = 0;
                    while (p < end && *p >= '0' && *p <= '9') *value = *value * 10 + (*p++ - '0');
                    return TRUE;
                }
            }
            return FALSE;
        }
    }
    return FALSE;
}

static void translate_tag(struct wide_buffer *out, const WCHAR *tag, const WCHAR *end)
{
    const WCHAR *name = tag + 1, *name_end;
    BOOL closing = FALSE;
    unsigned long milliseconds;

    if (*name == '/') { closing = TRUE; name++; }
    for (name_end = name; name_end < end && is_name_char(*name_end); name_end++);

    if (name_is(name, name_end - name, L"silence"))
    {
        if (!closing && attribute_number(name_end, end, L"msec", &milliseconds))
        {
            WCHAR element[64];
            wsprintfW(element, L"<break time=\"%lums\"/>", milliseconds);
            append_text(out, element);
        }
    }
    else if (name_is(name, name_end - name, L"emph"))
        append_text(out, closing ? L"</emphasis>" : L"<emphasis>");
    else if (name_is(name, name_end - name, L"spell"))
        append_text(out, closing ? L"</say-as>" : L"<say-as interpret-as=\"characters\">");
}

WCHAR *sapi_xml_to_ssml(const WCHAR *text)
{
    struct wide_buffer out = { NULL, 0, 0, FALSE };
    const WCHAR *p = text;

    append(&out, L"", 0);
    while (*p)
    {
        const WCHAR *end;
        if (*p != '<')
        {
            const WCHAR *run = p;
            while (*p && *p != '<') p++;
            append(&out, run, p - run);
            continue;
        }
        if (wide_starts_with(p, L"<!--"))
        {
            const WCHAR *close = wide_find(p + 4, L"-->");
            p = close ? close + 3 : p + lstrlenW(p);
            continue;
        }
        end = tag_end(p);
        if (!end)
        {
            /* A lone '<' is text, not a tag. */
            append_text(&out, L"&lt;");
            p++;
            continue;
        }
        translate_tag(&out, p, end);
        p = end + 1;
    }
    if (out.failed)
    {
        free(out.data);
        return NULL;
    }
    return out.data;
}

BOOL xml_is_ssml(const WCHAR *text)
{
    const WCHAR *p = text;
    for (;;)
    {
        while (is_blank(*p)) p++;
        if (wide_starts_with(p, L"<?") || wide_starts_with(p, L"<!"))
        {
            const WCHAR *end = tag_end(p);
            if (!end) return FALSE;
            p = end + 1;
            continue;
        }
        break;
    }
    return *p == '<' && wide_starts_with_nocase(p + 1, L"speak") && !is_name_char(p[6]);
}
