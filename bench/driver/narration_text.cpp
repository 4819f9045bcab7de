#include "narration_text.h"

#include <cstdio>

namespace {

// 48 double-byte characters; each line starts at another one, so lines differ.
const char kPhrase[] = "朗读测试文本检查语音引擎是否能够完整地读出这一段内容并且保持速度稳定不变这是一段用于录像配音的旁白";
constexpr std::size_t kPhraseChars = (sizeof kPhrase - 1) / 2;
constexpr std::size_t kLineBytes = 80;
constexpr std::size_t kCharsPerLine = 35;  // after the 8-byte number, before CR LF

} // namespace

std::string NarrationOfBytes(std::size_t bytes)
{
    std::string text;
    text.reserve(bytes + kLineBytes);
    for (std::size_t line = 0; text.size() + kLineBytes <= bytes; ++line) {
        char number[16];
        std::snprintf(number, sizeof number, "%06u：", static_cast<unsigned>(line % 1000000));
        text += number;
        for (std::size_t i = 0; i < kCharsPerLine; ++i)
            text.append(kPhrase + 2 * ((line + i) % kPhraseChars), 2);
        text += "\r\n";
    }
    // The rest in single bytes, so that no character is cut in half.
    while (text.size() < bytes)
        text += static_cast<char>('a' + text.size() % 26);
    return text;
}
