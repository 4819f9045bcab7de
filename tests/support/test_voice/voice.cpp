// The voice object (SpVoice): ISpVoice, ISpEventSource, ISpNotifySource, IUnknown.
#include "internal.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <thread>

namespace test_voice::detail {
namespace {

using Clock = std::chrono::steady_clock;

constexpr UINT kMsgNotify = WM_APP + 0x3A1;
constexpr UINT kMsgDestroy = WM_APP + 0x3A2;
constexpr ULONGLONG kFlagCheck = (1ULL << 30) | (1ULL << 33);   // SPFEI_FLAGCHECK
constexpr DWORD kSapi51VoiceMask = 0x7F;                          // SPF_VOICE_MASK of SAPI 5.1

std::mutex g_classMutex;
bool g_classRegistered = false;
wchar_t g_className[64];

LRESULT CALLBACK NotifyWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

const wchar_t* NotifyWindowClass() {
  std::lock_guard<std::mutex> lock(g_classMutex);
  if (!g_classRegistered) {
    // One class per module: the test program may hold this code twice (library and DLL).
    HMODULE module = ThisModule();
    swprintf(g_className, sizeof g_className / sizeof g_className[0], L"VexlorinTestVoiceNotify_%p",
             static_cast<void*>(module));
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = NotifyWndProc;
    wc.hInstance = module;
    wc.lpszClassName = g_className;
    if (RegisterClassExW(&wc) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS) g_classRegistered = true;
  }
  return g_className;
}

struct Request {
  ULONG stream = 0;
  size_t chars = 0;
  unsigned msPerChar = 0;
};

}  // namespace

void UnregisterNotifyWindowClass() {
  std::lock_guard<std::mutex> lock(g_classMutex);
  if (g_classRegistered) UnregisterClassW(g_className, ThisModule());
  g_classRegistered = false;
}

class Voice final : public ComObject<ISpVoice> {
 public:
  Voice() : ComObject("voice") {
    worker_ = std::thread([this] {
      Guarded([&] {
        Run();
        return S_OK;
      });
    });
    RegisterVoice(this);
  }

  ~Voice() override {
    UnregisterVoice(this);
    {
      std::lock_guard<std::mutex> lock(m_);
      stopping_ = true;
      AddBusy(-static_cast<long>(queue_.size() + (current_ ? 1 : 0)));
      queue_.clear();
      current_.reset();
      cv_.notify_all();
    }
    worker_.join();
    DestroyNotifyWindow();
    if (token_) {
      ISpObjectToken* t = token_;
      token_ = nullptr;
      t->Release();
    }
  }

  VoiceInfo Describe() {
    std::lock_guard<std::mutex> lock(m_);
    VoiceInfo info;
    info.name = name();
    info.eventInterest = eventInterest_;
    info.queuedInterest = queuedInterest_;
    info.volume = volume_;
    info.pauseCount = pauseCount_;
    info.voiceTokenId = tokenId_;
    info.pendingRequests = queue_.size();
    info.speaking = current_.has_value();
    info.queuedEvents = events_.size();
    info.notifyThreadId = notifyThread_;
    return info;
  }

  // Called by the notification window's procedure on the registering thread.
  void Deliver() {
    SPNOTIFYCALLBACK* fn;
    WPARAM w;
    LPARAM l;
    {
      std::lock_guard<std::mutex> lock(m_);
      notifyPending_ = false;
      fn = fn_;
      w = fnWParam_;
      l = fnLParam_;
    }
    if (!fn) return;
    Call c = NewCall("@Notify");
    c.args = {static_cast<unsigned long long>(w), static_cast<unsigned long long>(l)};
    Record(c);
    fn(w, l);   // may release this voice: touch nothing afterwards
  }

  // ---- ISpNotifySource ----
  STDMETHODIMP SetNotifySink(ISpNotifySink*) override { return NotImpl("SetNotifySink"); }
  STDMETHODIMP SetNotifyWindowMessage(HWND, UINT, WPARAM, LPARAM) override {
    return NotImpl("SetNotifyWindowMessage");
  }
  STDMETHODIMP SetNotifyCallbackFunction(SPNOTIFYCALLBACK* fn, WPARAM w, LPARAM l) override {
    return Guarded([&]() -> HRESULT {
      Call c = NewCall("SetNotifyCallbackFunction");
      c.args = {reinterpret_cast<unsigned long long>(fn), static_cast<unsigned long long>(w),
                static_cast<unsigned long long>(l)};
      HRESULT inj;
      bool injected = Injected("SetNotifyCallbackFunction", &inj);
      if (injected && FAILED(inj)) return Done(c, inj);
      if (!fn) return Done(c, E_INVALIDARG);

      DWORD thread = GetCurrentThreadId();
      HWND fresh = nullptr;
      {
        std::lock_guard<std::mutex> lock(m_);
        if (!(notifyHwnd_ && notifyThread_ == thread)) fresh = reinterpret_cast<HWND>(1);
      }
      if (fresh) {
        DestroyNotifyWindow();
        fresh = CreateWindowExW(0, NotifyWindowClass(), L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                ThisModule(), nullptr);
        if (!fresh) return Done(c, HRESULT_FROM_WIN32(GetLastError()));
        SetWindowLongPtrW(fresh, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
      }
      {
        std::lock_guard<std::mutex> lock(m_);
        if (fresh) {
          notifyHwnd_ = fresh;
          notifyThread_ = thread;
          notifyPending_ = false;
        }
        fn_ = fn;
        fnWParam_ = w;
        fnLParam_ = l;
        if (!events_.empty()) RequestNotifyLocked();   // as SAPI's _SetNotifySink
      }
      return Done(c, injected ? inj : S_OK);
    });
  }
  STDMETHODIMP SetNotifyCallbackInterface(ISpNotifyCallback*, WPARAM, LPARAM) override {
    return NotImpl("SetNotifyCallbackInterface");
  }
  STDMETHODIMP SetNotifyWin32Event() override { return NotImpl("SetNotifyWin32Event"); }
  STDMETHODIMP WaitForNotifyEvent(DWORD) override { return NotImpl("WaitForNotifyEvent"); }
  STDMETHODIMP_(HANDLE) GetNotifyEventHandle() override {
    NotImpl("GetNotifyEventHandle");
    return nullptr;
  }

  // ---- ISpEventSource ----
  STDMETHODIMP SetInterest(ULONGLONG eventInterest, ULONGLONG queuedInterest) override {
    return Guarded([&]() -> HRESULT {
      Call c = NewCall("SetInterest");
      c.args = {eventInterest, queuedInterest};
      HRESULT inj;
      bool injected = Injected("SetInterest", &inj);
      if (injected && FAILED(inj)) return Done(c, inj);
      // The checks of SAPI's CSpEventSource::_SetInterest.
      if ((eventInterest && (eventInterest & kFlagCheck) != kFlagCheck) ||
          (queuedInterest && (queuedInterest & kFlagCheck) != kFlagCheck) ||
          ((queuedInterest | eventInterest) != eventInterest))
        return Done(c, E_INVALIDARG);
      {
        std::lock_guard<std::mutex> lock(m_);
        eventInterest_ = eventInterest;
        queuedInterest_ = queuedInterest;
      }
      return Done(c, injected ? inj : S_OK);
    });
  }

  STDMETHODIMP GetEvents(ULONG count, SPEVENT* events, ULONG* fetched) override {
    return Guarded([&]() -> HRESULT {
      Call c = NewCall("GetEvents");
      c.args = {count, 0, fetched ? 1ULL : 0ULL};
      HRESULT inj;
      bool injected = Injected("GetEvents", &inj);
      if (injected && FAILED(inj)) {
        if (fetched) *fetched = 0;
        return Done(c, inj);
      }
      if (!events && count) return Done(c, E_INVALIDARG);
      ULONG copied = 0;
      {
        std::lock_guard<std::mutex> lock(m_);
        while (copied < count && !events_.empty()) {
          events[copied++] = events_.front();
          c.events.push_back(events_.front());
          events_.pop_front();
        }
      }
      if (fetched) *fetched = copied;
      c.args[1] = copied;
      return Done(c, injected ? inj : (copied < count ? S_FALSE : S_OK));
    });
  }

  STDMETHODIMP GetInfo(SPEVENTSOURCEINFO*) override { return NotImpl("GetInfo"); }

  // ---- ISpVoice ----
  STDMETHODIMP SetOutput(IUnknown*, BOOL) override { return NotImpl("SetOutput"); }
  STDMETHODIMP GetOutputObjectToken(ISpObjectToken**) override { return NotImpl("GetOutputObjectToken"); }
  STDMETHODIMP GetOutputStream(ISpStreamFormat**) override { return NotImpl("GetOutputStream"); }

  STDMETHODIMP Pause() override {
    return Guarded([&]() -> HRESULT {
      Call c = NewCall("Pause");
      HRESULT inj;
      bool injected = Injected("Pause", &inj);
      if (injected && FAILED(inj)) return Done(c, inj);
      {
        std::lock_guard<std::mutex> lock(m_);
        ++pauseCount_;
        cv_.notify_all();
      }
      return Done(c, injected ? inj : S_OK);
    });
  }

  STDMETHODIMP Resume() override {
    return Guarded([&]() -> HRESULT {
      Call c = NewCall("Resume");
      HRESULT inj;
      bool injected = Injected("Resume", &inj);
      if (injected && FAILED(inj)) return Done(c, inj);
      {
        std::lock_guard<std::mutex> lock(m_);
        if (pauseCount_ > 0) --pauseCount_;
        cv_.notify_all();
      }
      return Done(c, injected ? inj : S_OK);
    });
  }

  STDMETHODIMP SetVoice(ISpObjectToken* token) override {
    return Guarded([&]() -> HRESULT {
      Call c = NewCall("SetVoice");
      c.textIsNull = token == nullptr;
      HRESULT inj;
      bool injected = Injected("SetVoice", &inj);
      if (injected && FAILED(inj)) return Done(c, inj);
      std::optional<std::wstring> id;
      if (token) {
        LPWSTR p = nullptr;
        HRESULT hr = token->GetId(&p);
        if (FAILED(hr)) return Done(c, hr);
        id = p ? std::wstring(p) : std::wstring();
        CoTaskMemFree(p);
        c.text = *id;
        token->AddRef();
      }
      ISpObjectToken* old;
      {
        std::lock_guard<std::mutex> lock(m_);
        old = token_;
        token_ = token;
        tokenId_ = id;
      }
      if (old) old->Release();
      return Done(c, injected ? inj : S_OK);
    });
  }

  STDMETHODIMP GetVoice(ISpObjectToken**) override { return NotImpl("GetVoice"); }

  STDMETHODIMP Speak(LPCWSTR text, DWORD flags, ULONG* streamNumber) override {
    return Guarded([&]() -> HRESULT {
      Call c = NewCall("Speak");
      c.textIsNull = text == nullptr;
      if (text) c.text = text;
      c.flags = flags;
      c.args = {flags, 0};
      HRESULT inj;
      bool injected = Injected("Speak", &inj);
      if (injected && FAILED(inj)) return Done(c, inj);
      if ((flags & ~kSapi51VoiceMask) || ((flags & SPF_IS_XML) && (flags & SPF_IS_NOT_XML)))
        return Done(c, E_INVALIDARG);
      const bool purge = (flags & SPF_PURGEBEFORESPEAK) != 0;
      if (!text && !purge) return Done(c, E_INVALIDARG);
      HRESULT result = injected ? inj : S_OK;

      std::unique_lock<std::mutex> lock(m_);
      if (purge) PurgeLocked();
      if (!text) {
        Done(c, result);
        return result;
      }
      Request r;
      r.stream = nextStream_++;
      r.chars = wcslen(text);
      r.msPerChar = MsPerChar();
      queue_.push_back(r);
      AddBusy(1);
      if (streamNumber) *streamNumber = r.stream;
      c.args[1] = r.stream;
      cv_.notify_all();
      if (flags & SPF_ASYNC) {
        Done(c, result);   // recorded before the worker can report the request's start
        return result;
      }
      cv_.wait(lock, [&] { return stopping_ || finishedThrough_ >= r.stream; });
      lock.unlock();
      return Done(c, result);
    });
  }

  STDMETHODIMP SpeakStream(IStream*, DWORD, ULONG*) override { return NotImpl("SpeakStream"); }
  STDMETHODIMP GetStatus(SPVOICESTATUS*, LPWSTR*) override { return NotImpl("GetStatus"); }
  STDMETHODIMP Skip(LPCWSTR, LONG, ULONG*) override { return NotImpl("Skip"); }
  STDMETHODIMP SetPriority(SPVPRIORITY) override { return NotImpl("SetPriority"); }
  STDMETHODIMP GetPriority(SPVPRIORITY*) override { return NotImpl("GetPriority"); }
  STDMETHODIMP SetAlertBoundary(SPEVENTENUM) override { return NotImpl("SetAlertBoundary"); }
  STDMETHODIMP GetAlertBoundary(SPEVENTENUM*) override { return NotImpl("GetAlertBoundary"); }
  STDMETHODIMP SetRate(LONG) override { return NotImpl("SetRate"); }
  STDMETHODIMP GetRate(LONG*) override { return NotImpl("GetRate"); }

  STDMETHODIMP SetVolume(USHORT volume) override {
    return Guarded([&]() -> HRESULT {
      Call c = NewCall("SetVolume");
      c.args = {volume};
      HRESULT inj;
      bool injected = Injected("SetVolume", &inj);
      if (injected && FAILED(inj)) return Done(c, inj);
      if (volume > 100) return Done(c, E_INVALIDARG);
      {
        std::lock_guard<std::mutex> lock(m_);
        volume_ = volume;
      }
      return Done(c, injected ? inj : S_OK);
    });
  }

  STDMETHODIMP GetVolume(USHORT*) override { return NotImpl("GetVolume"); }

  STDMETHODIMP WaitUntilDone(ULONG ms) override {
    return Guarded([&]() -> HRESULT {
      Call c = NewCall("WaitUntilDone");
      c.args = {ms};
      HRESULT inj;
      bool injected = Injected("WaitUntilDone", &inj);
      if (injected && FAILED(inj)) return Done(c, inj);
      bool done;
      {
        std::unique_lock<std::mutex> lock(m_);
        auto idle = [&] { return stopping_ || (queue_.empty() && !current_); };
        if (ms == INFINITE) {
          cv_.wait(lock, idle);
          done = true;
        } else {
          done = cv_.wait_for(lock, std::chrono::milliseconds(ms), idle);
        }
      }
      return Done(c, injected ? inj : (done ? S_OK : S_FALSE));
    });
  }

  STDMETHODIMP SetSyncSpeakTimeout(ULONG) override { return NotImpl("SetSyncSpeakTimeout"); }
  STDMETHODIMP GetSyncSpeakTimeout(ULONG*) override { return NotImpl("GetSyncSpeakTimeout"); }
  STDMETHODIMP_(HANDLE) SpeakCompleteEvent() override {
    NotImpl("SpeakCompleteEvent");
    return nullptr;
  }
  STDMETHODIMP IsUISupported(LPCWSTR, void*, ULONG, BOOL*) override { return NotImpl("IsUISupported"); }
  STDMETHODIMP DisplayUI(HWND, LPCWSTR, LPCWSTR, void*, ULONG) override { return NotImpl("DisplayUI"); }

 protected:
  bool Supports(REFIID iid) override {
    return iid == IID_IUnknown || iid == __uuidof(ISpNotifySource) || iid == __uuidof(ISpEventSource) ||
           iid == __uuidof(ISpVoice);
  }

 private:
  // The worker: speaks the queued requests in order.
  void Run() {
    std::unique_lock<std::mutex> lock(m_);
    for (;;) {
      cv_.wait(lock, [&] { return stopping_ || (!queue_.empty() && pauseCount_ == 0); });
      if (stopping_) return;
      current_ = queue_.front();
      queue_.pop_front();
      const ULONG stream = current_->stream;
      const auto total = std::chrono::milliseconds(static_cast<long long>(current_->chars) * current_->msPerChar);
      spoken_ = Clock::duration::zero();
      AddEventLocked(SPEI_START_INPUT_STREAM, stream, 0);
      auto gone = [&] { return stopping_ || !current_ || current_->stream != stream; };
      while (!gone() && spoken_ < total) {
        if (pauseCount_ > 0) {
          cv_.wait(lock, [&] { return gone() || pauseCount_ == 0; });
          continue;
        }
        runningSince_ = Clock::now();
        cv_.wait_for(lock, total - spoken_, [&] { return gone() || pauseCount_ > 0; });
        spoken_ += Clock::now() - *runningSince_;
        runningSince_.reset();
      }
      if (stopping_) return;
      if (gone()) continue;   // purged: the purge has ended it
      AddEventLocked(SPEI_END_INPUT_STREAM, stream, current_->chars * 2);
      EndCurrentLocked();
    }
  }

  void EndCurrentLocked() {
    finishedThrough_ = current_->stream;
    current_.reset();
    AddBusy(-1);
    cv_.notify_all();
  }

  // SPF_PURGEBEFORESPEAK: drop the queue; end the request being spoken now.
  void PurgeLocked() {
    for (const Request& r : queue_) {
      Call c = NewCall("@Purged");
      c.args = {r.stream};
      Record(c);
    }
    AddBusy(-static_cast<long>(queue_.size()));
    queue_.clear();
    if (current_) {
      Clock::duration spoken = spoken_;
      if (runningSince_) spoken += Clock::now() - *runningSince_;
      size_t chars = current_->chars;
      if (current_->msPerChar) {
        auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(spoken).count();
        chars = std::min(chars, static_cast<size_t>(ms / current_->msPerChar));
      }
      AddEventLocked(SPEI_END_INPUT_STREAM, current_->stream, chars * 2);
      EndCurrentLocked();
    }
    finishedThrough_ = nextStream_ - 1;
    cv_.notify_all();
  }

  void AddEventLocked(SPEVENTENUM id, ULONG stream, ULONGLONG offset) {
    const ULONGLONG bit = 1ULL << id;
    const bool notify = (eventInterest_ & bit) != 0;
    const bool queued = notify && (queuedInterest_ & bit) != 0;
    if (queued) {
      SPEVENT e = {};
      e.eEventId = id;
      e.elParamType = SPET_LPARAM_IS_UNDEFINED;
      e.ulStreamNum = stream;
      e.ullAudioStreamOffset = offset;
      e.wParam = 0;
      e.lParam = 0;
      events_.push_back(e);
    }
    Call c = NewCall(id == SPEI_START_INPUT_STREAM ? "@StartStream" : "@EndStream");
    c.args = {stream, offset, queued ? 1ULL : 0ULL};
    Record(c);
    if (notify) RequestNotifyLocked();
  }

  void RequestNotifyLocked() {
    if (notifyHwnd_ && fn_ && !notifyPending_) {
      notifyPending_ = true;
      PostMessageW(notifyHwnd_, kMsgNotify, 0, 0);
    }
  }

  void DestroyNotifyWindow() {
    HWND hwnd;
    DWORD thread;
    {
      std::lock_guard<std::mutex> lock(m_);
      hwnd = notifyHwnd_;
      thread = notifyThread_;
      notifyHwnd_ = nullptr;
      notifyThread_ = 0;
      notifyPending_ = false;
    }
    if (!hwnd) return;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    if (thread == GetCurrentThreadId())
      DestroyWindow(hwnd);
    else
      PostMessageW(hwnd, kMsgDestroy, 0, 0);   // only its own thread may destroy it
  }

  std::mutex m_;
  std::condition_variable cv_;
  std::thread worker_;
  bool stopping_ = false;

  std::deque<Request> queue_;
  std::optional<Request> current_;
  Clock::duration spoken_{};
  std::optional<Clock::time_point> runningSince_;
  ULONG nextStream_ = 1;
  ULONG finishedThrough_ = 0;
  int pauseCount_ = 0;

  ULONGLONG eventInterest_ = 0, queuedInterest_ = 0;
  std::deque<SPEVENT> events_;

  SPNOTIFYCALLBACK* fn_ = nullptr;
  WPARAM fnWParam_ = 0;
  LPARAM fnLParam_ = 0;
  HWND notifyHwnd_ = nullptr;
  DWORD notifyThread_ = 0;
  bool notifyPending_ = false;

  USHORT volume_ = 100;
  ISpObjectToken* token_ = nullptr;
  std::optional<std::wstring> tokenId_;
};

namespace {

LRESULT CALLBACK NotifyWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == kMsgNotify) {
    if (auto* v = reinterpret_cast<Voice*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)))
      Guarded([&] {
        v->Deliver();
        return S_OK;
      });
    return 0;
  }
  if (msg == kMsgDestroy) {
    DestroyWindow(hwnd);
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

VoiceInfo DescribeVoice(Voice* voice) { return voice->Describe(); }

HRESULT CreateVoice(REFIID iid, void** ppv, std::string* name) {
  auto* v = new Voice;
  HRESULT hr = v->QueryInterface(iid, ppv);
  if (FAILED(hr)) {
    delete v;
    return hr;
  }
  try {
    *name = v->name();
  } catch (...) {
    // the object is made; only its name is missing from the record
  }
  return hr;
}

}  // namespace test_voice::detail
