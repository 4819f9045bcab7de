// The test voice's shared state: configuration, failure rules, the record of calls, the
// live objects and the log file; and the waiting helpers for tests.
#include "internal.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>
#include <map>
#include <mutex>

namespace test_voice {

namespace detail {
namespace {

struct FailureRule {
  std::string method;
  HRESULT hr;
  unsigned nth;        // 0: every call
  unsigned seen = 0;   // calls of the method since the rule was set
};

struct ObjectEntry {
  std::string kind;
  long refs = 0;
  std::wstring detail;
  unsigned long order = 0;
};

struct State {
  std::mutex mutex;
  // configuration
  std::vector<TokenDef> tokens;
  unsigned msPerChar = kDefaultMsPerChar;
  HRESULT voiceCreation = S_OK, categoryCreation = S_OK;
  std::vector<FailureRule> rules;
  // record
  std::vector<Call> calls;
  unsigned long seq = 0;
  // objects
  std::map<std::string, ObjectEntry> objects;
  unsigned long objectOrder = 0;
  std::map<std::string, unsigned> counters;
  // log
  HANDLE log = INVALID_HANDLE_VALUE;
};

// Never destroyed: threads and the DLL's detach code may use it until the very end.
State& S() {
  static State* state = new State;
  return *state;
}

std::atomic<long> g_busy{0};
std::atomic<long> g_locks{0};
std::atomic<long> g_live{0};

void WriteLogLocked(State& s, const std::string& line) {
  if (s.log == INVALID_HANDLE_VALUE) return;
  std::string l = line + "\n";
  DWORD written = 0;
  // One WriteFile per line on an append handle: each line lands whole and is visible to
  // readers at once (no user-mode buffering).
  WriteFile(s.log, l.data(), static_cast<DWORD>(l.size()), &written, nullptr);
}

}  // namespace

void Record(Call& call) noexcept {
  State& s = S();
  call.threadId = GetCurrentThreadId();
  std::lock_guard<std::mutex> lock(s.mutex);
  call.seq = ++s.seq;
  try {
    // Formatting copies the whole text: only worth it when a log is kept.
    if (s.log != INVALID_HANDLE_VALUE) WriteLogLocked(s, call.ToString());
    s.calls.push_back(call);
  } catch (...) {
    // out of memory: the record misses this call, the call itself goes on
  }
}

bool Injected(const char* method, HRESULT* hr) {
  State& s = S();
  std::lock_guard<std::mutex> lock(s.mutex);
  bool fired = false;
  for (auto& r : s.rules) {
    if (r.method != method) continue;
    ++r.seen;
    if (!fired && (r.nth == 0 || r.nth == r.seen)) {
      fired = true;
      *hr = r.hr;
    }
  }
  return fired;
}

HRESULT CreationFailure(Class cls) {
  State& s = S();
  std::lock_guard<std::mutex> lock(s.mutex);
  return cls == Class::Voice ? s.voiceCreation : s.categoryCreation;
}

std::string RegisterObject(const char* kind, const std::wstring& detail) {
  State& s = S();
  std::lock_guard<std::mutex> lock(s.mutex);
  std::string name = std::string(kind) + "#" + std::to_string(++s.counters[kind]);
  ObjectEntry e;
  e.kind = kind;
  e.detail = detail;
  e.order = ++s.objectOrder;
  s.objects[name] = e;
  ++g_live;
  return name;
}

void UpdateRefs(const std::string& name, long refs) {
  State& s = S();
  std::lock_guard<std::mutex> lock(s.mutex);
  auto it = s.objects.find(name);
  if (it != s.objects.end()) it->second.refs = refs;
}

void UnregisterObject(const std::string& name) {
  State& s = S();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.objects.erase(name);
  --g_live;
}

void AddBusy(long delta) { g_busy += delta; }
void LockModule(bool lock) { lock ? ++g_locks : --g_locks; }

std::mutex& VoicesMutex() {
  static std::mutex* m = new std::mutex;
  return *m;
}

std::vector<Voice*>& VoiceList() {
  static std::vector<Voice*>* list = new std::vector<Voice*>;
  return *list;
}

void RegisterVoice(Voice* v) {
  std::lock_guard<std::mutex> lock(VoicesMutex());
  VoiceList().push_back(v);
}

void UnregisterVoice(Voice* v) {
  std::lock_guard<std::mutex> lock(VoicesMutex());
  auto& list = VoiceList();
  list.erase(std::remove(list.begin(), list.end(), v), list.end());
}

HMODULE ThisModule() {
  HMODULE m = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&ThisModule), &m);
  return m;
}

void OnModuleDetach(bool processExit) {
  // No locking: at process exit other threads may have died holding the mutex.
  State& s = S();
  char line[128];
  snprintf(line, sizeof line, "dll unload live_objects=%ld reason=%s", g_live.load(),
           processExit ? "process-exit" : "FreeLibrary");
  WriteLogLocked(s, line);
  if (!processExit) UnregisterNotifyWindowClass();
}

}  // namespace detail

using namespace detail;


void SetTokens(std::vector<TokenDef> tokens) {
  State& s = S();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.tokens = std::move(tokens);
}

std::vector<TokenDef> Tokens() {
  State& s = S();
  std::lock_guard<std::mutex> lock(s.mutex);
  return s.tokens;
}

void SetMsPerChar(unsigned ms) {
  State& s = S();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.msPerChar = ms;
}

unsigned MsPerChar() {
  State& s = S();
  std::lock_guard<std::mutex> lock(s.mutex);
  return s.msPerChar;
}

void FailCreation(Class cls, HRESULT hr) {
  State& s = S();
  std::lock_guard<std::mutex> lock(s.mutex);
  (cls == Class::Voice ? s.voiceCreation : s.categoryCreation) = hr;
}

void FailMethod(std::string method, HRESULT hr, unsigned nth) {
  State& s = S();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.rules.push_back(FailureRule{std::move(method), hr, nth});
}

void ClearFailures() {
  State& s = S();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.rules.clear();
  s.voiceCreation = s.categoryCreation = S_OK;
}

void Reset() {
  State& s = S();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.tokens.clear();
  s.msPerChar = kDefaultMsPerChar;
  s.voiceCreation = s.categoryCreation = S_OK;
  s.rules.clear();
  s.calls.clear();
  s.seq = 0;
  s.counters.clear();
}

void SetLogFile(const std::wstring& path) {
  State& s = S();
  std::lock_guard<std::mutex> lock(s.mutex);
  if (s.log != INVALID_HANDLE_VALUE) CloseHandle(s.log);
  s.log = INVALID_HANDLE_VALUE;
  if (path.empty()) return;
  s.log = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

std::string detail::ConfigSummary() {
  State& s = S();
  std::lock_guard<std::mutex> lock(s.mutex);
  std::string line = "tokens=" + std::to_string(s.tokens.size()) +
                     " ms_per_char=" + std::to_string(s.msPerChar) +
                     " fail_rules=" + std::to_string(s.rules.size()) +
                     " fail_create=" + Hex(static_cast<unsigned long>(s.voiceCreation)) +
                     " fail_category=" + Hex(static_cast<unsigned long>(s.categoryCreation));
  for (const auto& t : s.tokens) line += " token=" + Quote(t.id, false);
  return line;
}

void LogLine(const std::string& utf8) {
  State& s = S();
  std::lock_guard<std::mutex> lock(s.mutex);
  WriteLogLocked(s, utf8);
}

// ---- Record --------------------------------------------------------------------------------

std::vector<Call> Calls() {
  State& s = S();
  std::lock_guard<std::mutex> lock(s.mutex);
  return s.calls;
}

std::vector<Call> Calls(std::string_view method) {
  State& s = S();
  std::lock_guard<std::mutex> lock(s.mutex);
  std::vector<Call> out;
  for (const auto& c : s.calls)
    if (c.method == method) out.push_back(c);
  return out;
}

size_t CallCount(std::string_view method) {
  State& s = S();
  std::lock_guard<std::mutex> lock(s.mutex);
  return static_cast<size_t>(std::count_if(s.calls.begin(), s.calls.end(),
                                            [&](const Call& c) { return c.method == method; }));
}

void ClearCalls() {
  State& s = S();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.calls.clear();
}

// ---- Objects -------------------------------------------------------------------------------

std::vector<ObjectInfo> LiveObjects() {
  State& s = S();
  std::lock_guard<std::mutex> lock(s.mutex);
  std::vector<std::pair<unsigned long, ObjectInfo>> sorted;
  for (const auto& [name, e] : s.objects) sorted.push_back({e.order, ObjectInfo{name, e.kind, e.refs, e.detail}});
  std::sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<ObjectInfo> out;
  for (auto& p : sorted) out.push_back(std::move(p.second));
  return out;
}

size_t LiveObjectCount() {
  State& s = S();
  std::lock_guard<std::mutex> lock(s.mutex);
  return s.objects.size();
}

long RefCount(std::string_view objectName) {
  State& s = S();
  std::lock_guard<std::mutex> lock(s.mutex);
  auto it = s.objects.find(std::string(objectName));
  return it == s.objects.end() ? -1 : it->second.refs;
}

std::vector<VoiceInfo> Voices() {
  // Lock order: voices mutex -> a voice's own lock -> the state's mutex. A voice leaves the
  // list (under the voices mutex) before it is torn down, so every listed voice is intact.
  std::lock_guard<std::mutex> lock(VoicesMutex());
  std::vector<VoiceInfo> out;
  for (Voice* v : VoiceList()) out.push_back(DescribeVoice(v));
  return out;
}

// ---- Waiting -------------------------------------------------------------------------------

bool WaitIdle(DWORD timeoutMs) {
  DWORD start = GetTickCount();
  for (;;) {
    if (g_busy.load() == 0) return true;
    if (timeoutMs != INFINITE && GetTickCount() - start >= timeoutMs) return false;
    Sleep(1);
  }
}

void PumpPendingMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

bool PumpMessagesUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  for (;;) {
    PumpPendingMessages();
    if (done()) return true;
    DWORD elapsed = GetTickCount() - start;
    if (timeoutMs != INFINITE && elapsed >= timeoutMs) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
}

bool CanUnloadNow() { return g_live.load() == 0 && g_locks.load() == 0; }

}  // namespace test_voice
