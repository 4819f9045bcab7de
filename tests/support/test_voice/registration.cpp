// The class factories, their in-process registration and the DLL's class objects.
#include "internal.h"

namespace test_voice {

const CLSID kClsidSpVoice = {0x96749377, 0x3391, 0x11D2, {0x9E, 0xE3, 0x00, 0xC0, 0x4F, 0x79, 0x73, 0x96}};
const CLSID kClsidSpObjectTokenCategory = {0xA910187F, 0x0C7A, 0x45AC, {0x92, 0xCC, 0x59, 0xED, 0xAF, 0xB7, 0x7B, 0x53}};

namespace detail {
namespace {

class Factory : public IClassFactory {
 public:
  Factory(Class cls, const char* name) : cls_(cls), name_(name) {}
  STDMETHODIMP QueryInterface(REFIID iid, void** ppv) override {
    if (!ppv) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IClassFactory) {
      *ppv = static_cast<IClassFactory*>(this);
      AddRef();
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  // Static objects: counted only so that a leak would be visible in a debugger.
  STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++refs_); }
  STDMETHODIMP_(ULONG) Release() override { return static_cast<ULONG>(--refs_); }
  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** ppv) override {
    return Guarded([&]() -> HRESULT {
      Call c;
      c.object = name_;
      c.method = "CreateInstance";
      c.text = Widen(GuidString(iid));
      HRESULT hr;
      if (!ppv) {
        hr = E_POINTER;
      } else {
        *ppv = nullptr;
        std::string made;
        if (outer) {
          hr = CLASS_E_NOAGGREGATION;
        } else if (FAILED(hr = CreationFailure(cls_))) {
          // injected: no object
        } else {
          hr = cls_ == Class::Voice ? CreateVoice(iid, ppv, &made) : CreateCategory(iid, ppv, &made);
        }
        try {
          c.text2 = Widen(made);
        } catch (...) {
          // the record lacks the name; the object is made
        }
      }
      c.hr = hr;
      Record(c);
      return hr;
    });
  }
  STDMETHODIMP LockServer(BOOL lock) override {
    return Guarded([&]() -> HRESULT {
      LockModule(lock != FALSE);
      Call c;
      c.object = name_;
      c.method = "LockServer";
      c.args = {static_cast<unsigned long long>(lock ? 1 : 0)};
      Record(c);
      return S_OK;
    });
  }

 private:
  Class cls_;
  const char* name_;
  std::atomic<long> refs_{1};
};

Factory& VoiceFactory() {
  static Factory* f = new Factory(Class::Voice, "factory:SpVoice");
  return *f;
}
Factory& CategoryFactory() {
  static Factory* f = new Factory(Class::Category, "factory:SpObjectTokenCategory");
  return *f;
}

}  // namespace
}  // namespace detail

using namespace detail;

Registration::Registration() {
  initHr_ = CoInitialize(nullptr);
  voiceHr_ = CoRegisterClassObject(kClsidSpVoice, &VoiceFactory(), CLSCTX_INPROC_SERVER,
                                   REGCLS_MULTIPLEUSE, &voiceCookie_);
  categoryHr_ = CoRegisterClassObject(kClsidSpObjectTokenCategory, &CategoryFactory(),
                                      CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &categoryCookie_);
}

Registration::~Registration() {
  if (SUCCEEDED(voiceHr_)) CoRevokeClassObject(voiceCookie_);
  if (SUCCEEDED(categoryHr_)) CoRevokeClassObject(categoryCookie_);
  if (SUCCEEDED(initHr_)) CoUninitialize();
}

HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (clsid == kClsidSpVoice) return VoiceFactory().QueryInterface(iid, ppv);
  if (clsid == kClsidSpObjectTokenCategory) return CategoryFactory().QueryInterface(iid, ppv);
  return CLASS_E_CLASSNOTAVAILABLE;
}

}  // namespace test_voice
