// The one-line form of a recorded call: the log line and Call::ToString().
#include "internal.h"

#include <cstdio>

namespace test_voice {
namespace detail {
namespace {

struct Layout {
  const char* method;
  const char* text;
  const char* text2;
  std::vector<const char*> args;
};
const Layout* FindLayout(const std::string& method) {
  static const Layout kLayouts[] = {
      {"Speak", "text", nullptr, {"flags:x", "stream"}},
      {"SetInterest", nullptr, nullptr, {"event:x", "queued:x"}},
      {"SetNotifyCallbackFunction", nullptr, nullptr, {"fn:x", "wparam:x", "lparam:x"}},
      {"GetEvents", nullptr, nullptr, {"count", "fetched", "fetched_ptr"}},
      {"SetVolume", nullptr, nullptr, {"volume"}},
      {"WaitUntilDone", nullptr, nullptr, {"ms"}},
      {"SetVoice", "token", nullptr, {}},
      {"SetId", "id", nullptr, {"create"}},
      {"EnumTokens", "required", "optional", {}},
      {"Next", "tokens", nullptr, {"celt", "fetched"}},
      {"GetStringValue", "name", "value", {}},
      {"GetId", "id", nullptr, {}},
      {"GetCount", nullptr, nullptr, {"count"}},
      {"Item", "token", nullptr, {"index"}},
      {"Skip", nullptr, nullptr, {"celt"}},
      {"QueryInterface", "iid", nullptr, {}},
      {"AddRef", nullptr, nullptr, {"refs"}},
      {"Release", nullptr, nullptr, {"refs"}},
      {"CreateInstance", "iid", "object", {}},
      {"LockServer", nullptr, nullptr, {"lock"}},
      {"@StartStream", nullptr, nullptr, {"stream", "offset", "queued"}},
      {"@EndStream", nullptr, nullptr, {"stream", "offset", "queued"}},
      {"@Purged", nullptr, nullptr, {"stream"}},
      {"@Notify", nullptr, nullptr, {"wparam:x", "lparam:x"}},
  };
  for (const auto& l : kLayouts)
    if (method == l.method) return &l;
  return nullptr;
}

}  // namespace
}  // namespace detail

using namespace detail;


std::string Call::ToString() const {
  char head[96];
  snprintf(head, sizeof head, "%lu tid=0x%lX ", seq, static_cast<unsigned long>(threadId));
  std::string out = head + object + " " + method;
  const Layout* l = FindLayout(method);
  if (l) {
    if (l->text) out += std::string(" ") + l->text + "=" + Quote(text, textIsNull);
    if (l->text2 && (!text2.empty() || SUCCEEDED(hr))) out += std::string(" ") + l->text2 + "=" + Quote(text2, false);
    for (size_t i = 0; i < args.size(); ++i) {
      std::string key = i < l->args.size() ? l->args[i] : "arg" + std::to_string(i);
      bool hex = key.size() > 2 && key.compare(key.size() - 2, 2, ":x") == 0;
      if (hex) key.resize(key.size() - 2);
      out += " " + key + "=" + (hex ? Hex(args[i]) : std::to_string(args[i]));
    }
  } else {
    if (!text.empty() || textIsNull) out += " text=" + Quote(text, textIsNull);
    if (!text2.empty()) out += " text2=" + Quote(text2, false);
    for (size_t i = 0; i < args.size(); ++i) out += " arg" + std::to_string(i) + "=" + std::to_string(args[i]);
  }
  if (method == "GetEvents" && !events.empty()) {
    out += " ids=";
    for (size_t i = 0; i < events.size(); ++i) {
      if (i) out += ",";
      out += std::to_string(events[i].eEventId) + "/" + std::to_string(events[i].ulStreamNum);
    }
  }
  bool noResult = method == "AddRef" || method == "Release" || method == "LockServer" ||
                  (!method.empty() && method[0] == '@');
  if (!noResult) {
    char hr_[24];
    snprintf(hr_, sizeof hr_, " -> 0x%08lX", static_cast<unsigned long>(hr));
    out += hr_;
  }
  return out;
}

}  // namespace test_voice
