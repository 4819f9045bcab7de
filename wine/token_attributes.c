#include "token_attributes.h"

#include <stdlib.h>
#include <string.h>

enum { FIELD_CAPACITY = 256 };

static BOOL is_space(WCHAR c)
{
    return c == ' ' || c == '\t';
}

/* Copies text[begin, end) without surrounding blanks. */
static void copy_trimmed(const WCHAR *begin, const WCHAR *end, WCHAR *out)
{
    size_t length;
    while (begin < end && is_space(*begin)) begin++;
    while (end > begin && is_space(end[-1])) end--;
    length = min((size_t)(end - begin), (size_t)FIELD_CAPACITY - 1);
    memcpy(out, begin, length * sizeof(WCHAR));
    out[length] = 0;
}

/* Attribute values may list alternatives ("409;9"); any of them may match. */
static BOOL value_list_contains(const WCHAR *list, const WCHAR *wanted)
{
    const WCHAR *item = list;
    WCHAR trimmed[FIELD_CAPACITY];
    for (;;)
    {
        const WCHAR *end = item;
        while (*end && *end != ';') end++;
        copy_trimmed(item, end, trimmed);
        if (!lstrcmpiW(trimmed, wanted)) return TRUE;
        if (!*end) return FALSE;
        item = end + 1;
    }
}

static BOOL clause_matches(HKEY attributes, const WCHAR *begin, const WCHAR *end)
{
    WCHAR name[FIELD_CAPACITY], wanted[FIELD_CAPACITY], stored[FIELD_CAPACITY];
    DWORD type, size = sizeof(stored) - sizeof(WCHAR);
    const WCHAR *equals = begin;
    BOOL negated = FALSE, present;

    while (equals < end && *equals != '=') equals++;
    if (equals < end && equals > begin && equals[-1] == '!') negated = TRUE;
    copy_trimmed(begin, equals - (negated ? 1 : 0), name);
    if (!name[0]) return TRUE;

    memset(stored, 0, sizeof(stored));
    present = attributes
        && RegQueryValueExW(attributes, name, NULL, &type, (BYTE *)stored, &size) == ERROR_SUCCESS
        && (type == REG_SZ || type == REG_EXPAND_SZ);
    if (equals == end) return present;

    copy_trimmed(equals + 1, end, wanted);
    if (negated) return !present || !value_list_contains(stored, wanted);
    return present && value_list_contains(stored, wanted);
}

BOOL token_attributes_match(HKEY token_key, const WCHAR *query)
{
    HKEY attributes = NULL;
    const WCHAR *clause = query;
    BOOL matches = TRUE;

    if (!query || !*query) return TRUE;
    if (RegOpenKeyExW(token_key, L"Attributes", 0, KEY_READ, &attributes) != ERROR_SUCCESS)
        attributes = NULL;
    while (matches)
    {
        const WCHAR *end = clause;
        while (*end && *end != ';') end++;
        matches = clause_matches(attributes, clause, end);
        if (!*end) break;
        clause = end + 1;
    }
    if (attributes) RegCloseKey(attributes);
    return matches;
}
