#include "voice_log.h"

#include <cstdlib>
#include <cstring>

namespace {

std::string ReadWholeFile(const std::string& path)
{
    // The voice still holds the file open for appending.
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return {};
    std::string content;
    char buffer[65536];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0)
        content.append(buffer, read);
    CloseHandle(file);
    return content;
}

struct Token {
    std::string text;  // unquoted
    bool quoted = false;
};

// Splits at spaces outside quotes; a token key="..." keeps its key and unescapes the value.
std::vector<Token> Tokenise(const std::string& line)
{
    std::vector<Token> tokens;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && line[i] == ' ')
            ++i;
        if (i >= line.size())
            break;
        Token token;
        while (i < line.size() && line[i] != ' ') {
            if (line[i] != '"') {
                token.text.push_back(line[i++]);
                continue;
            }
            token.quoted = true;
            ++i;
            while (i < line.size() && line[i] != '"') {
                char c = line[i++];
                if (c == '\\' && i < line.size()) {
                    char e = line[i++];
                    c = e == 'n' ? '\n' : e == 'r' ? '\r' : e == 't' ? '\t' : e;
                }
                token.text.push_back(c);
            }
            ++i;  // the closing quote
        }
        tokens.push_back(std::move(token));
    }
    return tokens;
}

bool IsNumber(const std::string& text)
{
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

std::optional<VoiceCall> ParseCall(const std::string& line)
{
    std::vector<Token> tokens = Tokenise(line);
    if (tokens.size() < 4 || !IsNumber(tokens[0].text) || tokens[1].text.rfind("tid=", 0) != 0)
        return std::nullopt;
    VoiceCall call;
    call.seq = std::strtoul(tokens[0].text.c_str(), nullptr, 10);
    call.threadId = static_cast<DWORD>(std::strtoul(tokens[1].text.c_str() + 4, nullptr, 0));
    call.object = tokens[2].text;
    call.method = tokens[3].text;
    for (std::size_t i = 4; i < tokens.size(); ++i) {
        if (tokens[i].text == "->" && i + 1 < tokens.size()) {
            call.result = std::strtoul(tokens[i + 1].text.c_str(), nullptr, 0);
            break;
        }
        std::size_t equals = tokens[i].text.find('=');
        if (equals == std::string::npos)
            continue;
        std::string key = tokens[i].text.substr(0, equals);
        call.fields[key] = tokens[i].text.substr(equals + 1);
        if (tokens[i].quoted)
            call.quotedFields.insert(key);
    }
    return call;
}

std::wstring Widen(UINT codePage, const std::string& bytes)
{
    if (bytes.empty())
        return {};
    int length = MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring wide(length > 0 ? length : 0, L'\0');
    if (length > 0)
        MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(), length);
    return wide;
}

} // namespace

std::string VoiceCall::Field(const std::string& key) const
{
    auto found = fields.find(key);
    return found == fields.end() ? std::string() : found->second;
}

unsigned long long VoiceCall::Number(const std::string& key) const
{
    return std::strtoull(Field(key).c_str(), nullptr, 0);
}

std::wstring VoiceCall::Text(const std::string& key) const
{
    return FromUtf8(Field(key));
}

VoiceLog ReadVoiceLog(const std::string& path)
{
    VoiceLog log;
    std::string content = ReadWholeFile(path);
    std::size_t start = 0;
    // A last line without its newline is still being written: it is left for the next read.
    for (std::size_t end; (end = content.find('\n', start)) != std::string::npos; start = end + 1) {
        std::string line = content.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (std::optional<VoiceCall> call = ParseCall(line))
            log.calls.push_back(std::move(*call));
        else if (!line.empty())
            log.otherLines.push_back(line);
    }
    return log;
}

std::vector<VoiceCall> CallsTo(const VoiceLog& log, std::string_view method)
{
    std::vector<VoiceCall> found;
    for (const VoiceCall& call : log.calls) {
        if (call.method == method)
            found.push_back(call);
    }
    return found;
}

namespace {

std::vector<VoiceCall> SpeakCalls(const VoiceLog& log, bool withText)
{
    std::vector<VoiceCall> found;
    for (const VoiceCall& call : CallsTo(log, "Speak")) {
        if (call.IsNullString("text") != withText)
            found.push_back(call);
    }
    return found;
}

} // namespace

std::vector<VoiceCall> TextRequests(const VoiceLog& log)
{
    return SpeakCalls(log, true);
}

std::vector<VoiceCall> Purges(const VoiceLog& log)
{
    return SpeakCalls(log, false);
}

std::vector<VoiceCall> CallsOn(const VoiceLog& log, std::string_view object)
{
    std::vector<VoiceCall> found;
    for (const VoiceCall& call : log.calls) {
        if (call.object == object)
            found.push_back(call);
    }
    return found;
}

std::optional<long> LiveObjectsAtUnload(const VoiceLog& log)
{
    for (const std::string& line : log.otherLines) {
        if (line.rfind("dll unload", 0) != 0)
            continue;
        std::size_t at = line.find("live_objects=");
        if (at != std::string::npos)
            return std::strtol(line.c_str() + at + std::strlen("live_objects="), nullptr, 10);
    }
    return std::nullopt;
}

bool DllWasLoaded(const VoiceLog& log)
{
    for (const std::string& line : log.otherLines) {
        if (line.rfind("dll load", 0) == 0)
            return true;
    }
    return false;
}

std::wstring FromUtf8(const std::string& utf8)
{
    return Widen(CP_UTF8, utf8);
}

std::wstring FromCodePage936(const std::string& bytes)
{
    return Widen(936, bytes);
}
