#include "long_text.h"

#include <cstdio>

std::string LongNarration(int minimumCharacters)
{
    std::string text;
    int characters = 0;
    for (int line = 1; characters < minimumCharacters; ++line) {
        char buffer[160];
        // 37 characters a line with its CR LF; numbered, so a lost or repeated part shows.
        std::snprintf(buffer, sizeof buffer, "第%05d行：朗读测试文本，检查编辑框是否保留整段内容。ABCdef\r\n", line);
        text += buffer;
        characters += 37;
    }
    return text;
}
