// Shared by the test voice's sources; not for tests.
#pragma once

#include "test_voice.h"

#include <atomic>
#include <string>

namespace test_voice::detail {

// ---- State (state.cpp) ----
// Locking rule: a voice may call these while holding its own lock; these never call into
// objects.
void Record(Call& call) noexcept;                  // fills seq and threadId, logs, stores
bool Injected(const char* method, HRESULT* hr);    // a failure rule fires for this call
HRESULT CreationFailure(Class cls);                // S_OK: creation allowed
std::string RegisterObject(const char* kind, const std::wstring& detail);  // -> name
void UpdateRefs(const std::string& name, long refs);
void UnregisterObject(const std::string& name);
void AddBusy(long delta);                          // requests queued or being spoken
void LockModule(bool lock);
std::string GuidString(REFGUID guid);
LPWSTR CoTaskStrDup(const std::wstring& s);        // CoTaskMemAlloc copy; nullptr when out of memory
std::string ConfigSummary();                       // for the log's "config" line

// ---- Strings (text.cpp) ----
std::wstring Widen(const std::string& s);          // ASCII
std::string Utf8(const std::wstring& w);
std::string Quote(const std::wstring& w, bool isNull);   // "..." escaped, or NULL
std::string Hex(unsigned long long v);
bool EqualsNoCase(std::wstring_view a, std::wstring_view b);

class Voice;
void RegisterVoice(Voice* voice);
void UnregisterVoice(Voice* voice);
VoiceInfo DescribeVoice(Voice* voice);             // voice.cpp

HMODULE ThisModule();
void OnModuleDetach(bool processExit);             // dll_main.cpp calls this

// ---- Objects ----
HRESULT CreateVoice(REFIID iid, void** ppv, std::string* name);     // voice.cpp
HRESULT CreateCategory(REFIID iid, void** ppv, std::string* name);  // tokens.cpp
void UnregisterNotifyWindowClass();                                  // voice.cpp

// No exception may leave a COM method or a window procedure: a failed allocation there
// becomes E_OUTOFMEMORY.
template <class F>
HRESULT Guarded(F&& body) noexcept {
  try {
    return body();
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}

// Reference counting and naming shared by every object. I is the object's interface chain.
template <class I>
class ComObject : public I {
 public:
  ComObject(const char* kind, const std::wstring& detail = {})
      : name_(RegisterObject(kind, detail)) {}
  virtual ~ComObject() { UnregisterObject(name_); }

  STDMETHODIMP_(ULONG) AddRef() override {
    LONG n = ++refs_;
    NoteRefs("AddRef", n);
    return static_cast<ULONG>(n);
  }
  STDMETHODIMP_(ULONG) Release() override {
    LONG n = --refs_;
    NoteRefs("Release", n);
    if (n == 0) delete this;
    return static_cast<ULONG>(n);
  }
  STDMETHODIMP QueryInterface(REFIID iid, void** ppv) override {
    HRESULT hr;
    if (!ppv) {
      hr = E_POINTER;
    } else if (Supports(iid)) {
      *ppv = static_cast<I*>(this);
      hr = S_OK;
    } else {
      *ppv = nullptr;
      hr = E_NOINTERFACE;
    }
    try {
      Call c;
      c.object = name_;
      c.method = "QueryInterface";
      c.text = Widen(GuidString(iid));
      c.hr = hr;
      Record(c);
    } catch (...) {
      // only the record is lost
    }
    if (hr == S_OK) AddRef();
    return hr;
  }

  const std::string& name() const { return name_; }
  long refs() const { return refs_; }

 protected:
  virtual bool Supports(REFIID iid) = 0;

  // Records a call and answers its result.
  HRESULT Done(Call& c, HRESULT hr) {
    c.hr = hr;
    Record(c);
    return hr;
  }
  Call NewCall(const char* method) {
    Call c;
    c.object = name_;
    c.method = method;
    return c;
  }
  HRESULT NotImpl(const char* method) noexcept {
    Guarded([&] {
      Call c = NewCall(method);
      return Done(c, E_NOTIMPL);
    });
    return E_NOTIMPL;
  }

 private:
  void NoteRefs(const char* method, LONG n) noexcept {
    try {
      UpdateRefs(name_, n);
      Call c;
      c.object = name_;
      c.method = method;
      c.args = {static_cast<unsigned long long>(n)};
      Record(c);
    } catch (...) {
      // the count itself is right; only its record is lost
    }
  }

 private:
  std::string name_;
  std::atomic<LONG> refs_{0};
};



}  // namespace test_voice::detail
