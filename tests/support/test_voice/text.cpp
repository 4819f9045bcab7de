// String helpers shared by the test voice's sources.
#include "internal.h"

#include <algorithm>
#include <cstdio>
#include <cwctype>

namespace test_voice::detail {

bool EqualsNoCase(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::towlower(a[i]) != std::towlower(b[i])) return false;
  return true;
}

std::string Utf8(const std::wstring& w) {
  if (w.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), out.data(), n, nullptr, nullptr);
  return out;
}

std::wstring Widen(const std::string& s) {
  std::wstring w;
  for (unsigned char ch : s) w += static_cast<wchar_t>(ch);
  return w;
}

std::string GuidString(REFGUID g) {
  char buf[64];
  snprintf(buf, sizeof buf, "{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
           static_cast<unsigned long>(g.Data1), g.Data2, g.Data3, g.Data4[0], g.Data4[1],
           g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
  return buf;
}

LPWSTR CoTaskStrDup(const std::wstring& s) {
  auto* p = static_cast<LPWSTR>(CoTaskMemAlloc((s.size() + 1) * sizeof(wchar_t)));
  if (p) {
    std::copy(s.begin(), s.end(), p);
    p[s.size()] = 0;
  }
  return p;
}

std::string Quote(const std::wstring& w, bool isNull) {
  if (isNull) return "NULL";
  std::string s = Utf8(w), out = "\"";
  for (char ch : s) {
    switch (ch) {
      case '\\': out += "\\\\"; break;
      case '"': out += "\\\""; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default: out += ch;
    }
  }
  return out + "\"";
}

std::string Hex(unsigned long long v) {
  char buf[32];
  snprintf(buf, sizeof buf, "0x%llX", v);
  return buf;
}


}  // namespace test_voice::detail
