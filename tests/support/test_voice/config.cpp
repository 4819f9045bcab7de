// Configuration from text: the token list, failure rules and the environment variables.
#include "internal.h"

#include <cerrno>
#include <cwchar>
#include <cwctype>

namespace test_voice {
namespace detail {
namespace {

std::optional<HRESULT> ParseHr(std::wstring_view text) {
  static const struct { const wchar_t* name; HRESULT hr; } kNames[] = {
      {L"S_OK", S_OK}, {L"S_FALSE", S_FALSE}, {L"E_FAIL", E_FAIL}, {L"E_NOTIMPL", E_NOTIMPL},
      {L"E_INVALIDARG", E_INVALIDARG}, {L"E_POINTER", E_POINTER},
      {L"E_OUTOFMEMORY", E_OUTOFMEMORY}, {L"E_UNEXPECTED", E_UNEXPECTED},
      {L"E_ACCESSDENIED", E_ACCESSDENIED}, {L"REGDB_E_CLASSNOTREG", REGDB_E_CLASSNOTREG},
      {L"CLASS_E_CLASSNOTAVAILABLE", CLASS_E_CLASSNOTAVAILABLE},
      {L"SPERR_NOT_FOUND", kSperrNotFound}, {L"SPERR_UNINITIALIZED", kSperrUninitialized},
  };
  for (const auto& n : kNames)
    if (EqualsNoCase(text, n.name)) return n.hr;
  std::wstring s(text);
  if (s.empty()) return std::nullopt;
  wchar_t* end = nullptr;
  errno = 0;
  long long v = std::wcstoll(s.c_str(), &end, 0);
  if (errno || !end || *end) return std::nullopt;
  return static_cast<HRESULT>(static_cast<unsigned long>(v));
}

std::wstring Trim(std::wstring_view s) {
  size_t b = 0, e = s.size();
  while (b < e && std::iswspace(s[b])) ++b;
  while (e > b && std::iswspace(s[e - 1])) --e;
  return std::wstring(s.substr(b, e - b));
}

std::vector<std::wstring> Split(std::wstring_view s, wchar_t sep) {
  std::vector<std::wstring> out;
  size_t start = 0;
  for (;;) {
    size_t pos = s.find(sep, start);
    out.emplace_back(s.substr(start, pos == std::wstring_view::npos ? std::wstring_view::npos : pos - start));
    if (pos == std::wstring_view::npos) break;
    start = pos + 1;
  }
  return out;
}

std::wstring Unescape(std::wstring_view s) {
  std::wstring out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == L'%' && i + 2 < s.size() + 0 && iswxdigit(s[i + 1]) && iswxdigit(s[i + 2])) {
      out += static_cast<wchar_t>(std::wcstoul(std::wstring(s.substr(i + 1, 2)).c_str(), nullptr, 16));
      i += 2;
    } else {
      out += s[i];
    }
  }
  return out;
}

std::optional<std::wstring> GetEnv(const wchar_t* name) {
  DWORD n = GetEnvironmentVariableW(name, nullptr, 0);
  if (n == 0) return std::nullopt;
  std::wstring v(n, L'\0');
  n = GetEnvironmentVariableW(name, v.data(), n);
  v.resize(n);
  return v;
}

// Per-method key names for the log line: text key, text2 key, arg keys ('x' suffix: hex).
}  // namespace
}  // namespace detail

using namespace detail;

std::vector<TokenDef> ParseTokens(std::wstring_view list) {
  std::vector<TokenDef> out;
  for (const auto& item : Split(list, L';')) {
    if (Trim(item).empty()) continue;
    auto fields = Split(item, L'|');
    TokenDef t;
    t.id = Unescape(fields[0]);
    for (size_t i = 1; i < fields.size(); ++i) {
      const std::wstring& f = fields[i];
      size_t eq = f.find(L'=');
      if (eq == std::wstring::npos) {
        t.defaultValue = Unescape(f);
      } else {
        std::wstring name = Unescape(f.substr(0, eq));
        std::wstring value = Unescape(f.substr(eq + 1));
        if (name.empty() || name == L"@")
          t.defaultValue = value;
        else
          t.values.emplace_back(name, value);
      }
    }
    out.push_back(std::move(t));
  }
  return out;
}

bool AddFailures(std::wstring_view rules) {
  bool ok = true;
  for (const auto& raw : Split(rules, L',')) {
    std::wstring item = Trim(raw);
    if (item.empty()) continue;
    size_t eq = item.find(L'=');
    std::wstring key = Trim(item.substr(0, eq));
    std::wstring value = eq == std::wstring::npos ? L"" : Trim(item.substr(eq + 1));
    if (EqualsNoCase(key, L"create") || EqualsNoCase(key, L"category")) {
      HRESULT hr = REGDB_E_CLASSNOTREG;
      if (!value.empty()) {
        auto parsed = ParseHr(value);
        if (!parsed) { ok = false; continue; }
        hr = *parsed;
      }
      FailCreation(EqualsNoCase(key, L"create") ? Class::Voice : Class::Category, hr);
      continue;
    }
    if (key.empty() || value.empty()) { ok = false; continue; }
    unsigned nth = 0;
    size_t at = value.find(L'@');
    if (at != std::wstring::npos) {
      wchar_t* end = nullptr;
      std::wstring n = value.substr(at + 1);
      nth = static_cast<unsigned>(std::wcstoul(n.c_str(), &end, 10));
      if (n.empty() || *end || nth == 0) { ok = false; continue; }
      value = Trim(value.substr(0, at));
    }
    auto hr = ParseHr(value);
    if (!hr) { ok = false; continue; }
    std::string method;
    for (wchar_t ch : key) method += static_cast<char>(ch);
    FailMethod(method, *hr, nth);
  }
  return ok;
}

// A Unix path (from a shell script) becomes the Windows path Wine maps it to.
std::wstring WindowsPath(const std::wstring& path) {
  if (path.empty() || path[0] != L'/') return path;
  using ToDos = LPWSTR(CDECL*)(LPCSTR);
  auto toDos = reinterpret_cast<ToDos>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name")));
  if (!toDos) return path;
  LPWSTR dos = toDos(Utf8(path).c_str());
  if (!dos) return path;
  std::wstring out = dos;
  HeapFree(GetProcessHeap(), 0, dos);
  return out;
}

void ConfigureFromEnvironment() {
  if (auto log = GetEnv(L"VEXLORIN_TEST_VOICE_LOG")) SetLogFile(WindowsPath(*log));
  std::string problems;
  if (auto tokens = GetEnv(L"VEXLORIN_TEST_VOICE_TOKENS")) SetTokens(ParseTokens(*tokens));
  if (auto ms = GetEnv(L"VEXLORIN_TEST_VOICE_MS_PER_CHAR")) {
    wchar_t* end = nullptr;
    unsigned long v = std::wcstoul(ms->c_str(), &end, 10);
    if (!ms->empty() && !*end)
      SetMsPerChar(static_cast<unsigned>(v));
    else
      problems += " bad VEXLORIN_TEST_VOICE_MS_PER_CHAR";
  }
  if (auto fail = GetEnv(L"VEXLORIN_TEST_VOICE_FAIL"))
    if (!AddFailures(*fail)) problems += " bad VEXLORIN_TEST_VOICE_FAIL item ignored";
  std::string line = "config pid=" + std::to_string(GetCurrentProcessId()) + " " + ConfigSummary();
  if (!problems.empty()) line += " problems:" + problems;
  LogLine(line);
}

}  // namespace test_voice
