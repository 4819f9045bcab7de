#include "mbcs_text.h"

#include <windows.h>

#include <cstring>

namespace {

// The length of the character at p: 2 for a lead byte followed by a trail byte.
int CharLength(const char* p)
{
    return IsDBCSLeadByte(static_cast<BYTE>(*p)) && p[1] != '\0' ? 2 : 1;
}

} // namespace

void LowerCaseMbcs(char* text)
{
    for (char* p = text; *p; ) {
        int length = CharLength(p);
        if (length == 1 && *p >= 'A' && *p <= 'Z')
            *p = static_cast<char>(*p - 'A' + 'a');
        p += length;
    }
}

bool ContainsMbcs(const char* text, const char* needle)
{
    std::size_t needleLength = std::strlen(needle);
    for (const char* p = text; *p; p += CharLength(p)) {
        if (std::strncmp(p, needle, needleLength) == 0)
            return true;
    }
    return needleLength == 0;
}
