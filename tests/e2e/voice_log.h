#pragma once
// The test voice's log: what the program asked of the speech engine, one line per call:
//   <seq> tid=0x<thread> <object> <Method>[ key=value]...[ -> 0x<HRESULT>]
// Strings are quoted with \\ \" \n \r \t escaped, UTF-8; an unquoted NULL is a null string.
#include <windows.h>

#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

struct VoiceCall {
    unsigned long seq = 0;
    DWORD threadId = 0;
    std::string object;  // "voice#1", "factory:SpVoice", ...
    std::string method;  // "Speak", "Release", "@EndStream", ...
    std::map<std::string, std::string> fields;
    std::set<std::string> quotedFields;
    std::optional<unsigned long> result;  // the HRESULT, for calls that return one

    bool Has(const std::string& key) const { return fields.count(key) != 0; }
    bool IsNullString(const std::string& key) const { return Has(key) && !quotedFields.count(key) && Field(key) == "NULL"; }
    std::string Field(const std::string& key) const;
    unsigned long long Number(const std::string& key) const;  // decimal or 0x hex; 0 when absent
    std::wstring Text(const std::string& key) const;          // a quoted string, as UTF-16
};

struct VoiceLog {
    std::vector<VoiceCall> calls;
    std::vector<std::string> otherLines;  // "dll load ...", "dll unload ...", configuration
};

VoiceLog ReadVoiceLog(const std::string& path);

std::vector<VoiceCall> CallsTo(const VoiceLog& log, std::string_view method);

// Speak calls that carried a text, and those that carried none (purges), in order.
std::vector<VoiceCall> TextRequests(const VoiceLog& log);
std::vector<VoiceCall> Purges(const VoiceLog& log);
std::vector<VoiceCall> CallsOn(const VoiceLog& log, std::string_view object);

// The live_objects figure of the "dll unload" line, when the DLL has written it.
std::optional<long> LiveObjectsAtUnload(const VoiceLog& log);
bool DllWasLoaded(const VoiceLog& log);

std::wstring FromUtf8(const std::string& utf8);
std::wstring FromCodePage936(const std::string& bytes);
