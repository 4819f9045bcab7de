// The token category (SpObjectTokenCategory), its enumerator and the voice tokens.
#include "internal.h"

#include <mutex>

namespace test_voice::detail {
namespace {

// The ISpDataKey methods the program does not use, for both the token and the category.
#define TEST_VOICE_DATAKEY_NOT_IMPLEMENTED                                                                  \
  STDMETHODIMP SetData(LPCWSTR, ULONG, const BYTE*) override { return NotImpl("SetData"); }               \
  STDMETHODIMP GetData(LPCWSTR, ULONG*, BYTE*) override { return NotImpl("GetData"); }                    \
  STDMETHODIMP SetStringValue(LPCWSTR, LPCWSTR) override { return NotImpl("SetStringValue"); }            \
  STDMETHODIMP SetDWORD(LPCWSTR, DWORD) override { return NotImpl("SetDWORD"); }                          \
  STDMETHODIMP GetDWORD(LPCWSTR, DWORD*) override { return NotImpl("GetDWORD"); }                         \
  STDMETHODIMP OpenKey(LPCWSTR, ISpDataKey**) override { return NotImpl("OpenKey"); }                     \
  STDMETHODIMP CreateKey(LPCWSTR, ISpDataKey**) override { return NotImpl("CreateKey"); }                 \
  STDMETHODIMP DeleteKey(LPCWSTR) override { return NotImpl("DeleteKey"); }                               \
  STDMETHODIMP DeleteValue(LPCWSTR) override { return NotImpl("DeleteValue"); }                           \
  STDMETHODIMP EnumKeys(ULONG, LPWSTR*) override { return NotImpl("EnumKeys"); }                          \
  STDMETHODIMP EnumValues(ULONG, LPWSTR*) override { return NotImpl("EnumValues"); }

class Token final : public ComObject<ISpObjectToken> {
 public:
  explicit Token(TokenDef def) : ComObject("token", def.id), def_(std::move(def)) {}

  // ---- ISpDataKey ----
  STDMETHODIMP GetStringValue(LPCWSTR name, LPWSTR* value) override {
    return Guarded([&]() -> HRESULT {
      Call c = NewCall("GetStringValue");
      c.textIsNull = name == nullptr;
      if (name) c.text = name;
      HRESULT inj;
      bool injected = Injected("GetStringValue", &inj);
      if (value) *value = nullptr;
      if (injected && FAILED(inj)) return Done(c, inj);
      if (!value) return Done(c, E_POINTER);
      const std::wstring* found = nullptr;
      if (!name || !*name) {
        if (def_.defaultValue) found = &*def_.defaultValue;
      } else {
        for (const auto& [n, v] : def_.values)
          if (EqualsNoCase(n, name)) {
            found = &v;
            break;
          }
      }
      if (!found) return Done(c, kSperrNotFound);
      *value = CoTaskStrDup(*found);
      if (!*value) return Done(c, E_OUTOFMEMORY);
      c.text2 = *found;
      return Done(c, injected ? inj : S_OK);
    });
  }
  TEST_VOICE_DATAKEY_NOT_IMPLEMENTED

  // ---- ISpObjectToken ----
  STDMETHODIMP SetId(LPCWSTR, LPCWSTR, BOOL) override { return NotImpl("SetId"); }
  STDMETHODIMP GetId(LPWSTR* id) override {
    return Guarded([&]() -> HRESULT {
      Call c = NewCall("GetId");
      c.text = def_.id;
      HRESULT inj;
      bool injected = Injected("GetId", &inj);
      if (id) *id = nullptr;
      if (injected && FAILED(inj)) return Done(c, inj);
      if (!id) return Done(c, E_POINTER);
      *id = CoTaskStrDup(def_.id);
      if (!*id) return Done(c, E_OUTOFMEMORY);
      return Done(c, injected ? inj : S_OK);
    });
  }
  STDMETHODIMP GetCategory(ISpObjectTokenCategory**) override { return NotImpl("GetCategory"); }
  STDMETHODIMP CreateInstance(IUnknown*, DWORD, REFIID, void**) override { return NotImpl("CreateInstance"); }
  STDMETHODIMP GetStorageFileName(REFCLSID, LPCWSTR, LPCWSTR, ULONG, LPWSTR*) override {
    return NotImpl("GetStorageFileName");
  }
  STDMETHODIMP RemoveStorageFileName(REFCLSID, LPCWSTR, BOOL) override { return NotImpl("RemoveStorageFileName"); }
  STDMETHODIMP Remove(const CLSID*) override { return NotImpl("Remove"); }
  STDMETHODIMP IsUISupported(LPCWSTR, void*, ULONG, IUnknown*, BOOL*) override { return NotImpl("IsUISupported"); }
  STDMETHODIMP DisplayUI(HWND, LPCWSTR, LPCWSTR, void*, ULONG, IUnknown*) override { return NotImpl("DisplayUI"); }
  STDMETHODIMP MatchesAttributes(LPCWSTR, BOOL*) override { return NotImpl("MatchesAttributes"); }

 protected:
  bool Supports(REFIID iid) override {
    return iid == IID_IUnknown || iid == __uuidof(ISpDataKey) || iid == __uuidof(ISpObjectToken);
  }

 private:
  TokenDef def_;
};

HRESULT NewToken(const TokenDef& def, ISpObjectToken** out) {
  auto* t = new Token(def);
  HRESULT hr = t->QueryInterface(__uuidof(ISpObjectToken), reinterpret_cast<void**>(out));
  if (FAILED(hr)) delete t;
  return hr;
}

class TokenEnum final : public ComObject<IEnumSpObjectTokens> {
 public:
  TokenEnum(std::vector<TokenDef> tokens, ULONG position)
      : ComObject("enum"), tokens_(std::move(tokens)), position_(position) {}

  STDMETHODIMP Next(ULONG celt, ISpObjectToken** out, ULONG* fetched) override {
    return Guarded([&]() -> HRESULT {
      Call c = NewCall("Next");
      c.args = {celt, 0};
      HRESULT inj;
      bool injected = Injected("Next", &inj);
      if (fetched) *fetched = 0;
      if (out)
        for (ULONG i = 0; i < celt; ++i) out[i] = nullptr;
      if (injected && FAILED(inj)) return Done(c, inj);
      if (!out || (!fetched && celt != 1)) return Done(c, E_POINTER);
      ULONG got = 0;
      while (got < celt && position_ < tokens_.size()) {
        HRESULT hr = NewToken(tokens_[position_], &out[got]);
        if (FAILED(hr)) {
          for (ULONG i = 0; i < got; ++i) {
            out[i]->Release();
            out[i] = nullptr;
          }
          return Done(c, hr);
        }
        if (got) c.text += L";";
        c.text += tokens_[position_].id;
        ++position_;
        ++got;
      }
      if (fetched) *fetched = got;
      c.args[1] = got;
      return Done(c, injected ? inj : (got == celt ? S_OK : S_FALSE));
    });
  }
  STDMETHODIMP Skip(ULONG celt) override {
    return Guarded([&]() -> HRESULT {
      Call c = NewCall("Skip");
      c.args = {celt};
      ULONG left = static_cast<ULONG>(tokens_.size()) - position_;
      ULONG step = celt < left ? celt : left;
      position_ += step;
      return Done(c, step == celt ? S_OK : S_FALSE);
    });
  }
  STDMETHODIMP Reset() override {
    return Guarded([&]() -> HRESULT {
      Call c = NewCall("Reset");
      position_ = 0;
      return Done(c, S_OK);
    });
  }
  STDMETHODIMP Clone(IEnumSpObjectTokens** out) override {
    return Guarded([&]() -> HRESULT {
      Call c = NewCall("Clone");
      if (!out) return Done(c, E_POINTER);
      auto* e = new TokenEnum(tokens_, position_);
      c.text2 = Widen(e->name());
      HRESULT hr = e->QueryInterface(__uuidof(IEnumSpObjectTokens), reinterpret_cast<void**>(out));
      if (FAILED(hr)) delete e;
      return Done(c, hr);
    });
  }
  STDMETHODIMP Item(ULONG index, ISpObjectToken** out) override {
    return Guarded([&]() -> HRESULT {
      Call c = NewCall("Item");
      c.args = {index};
      HRESULT inj;
      bool injected = Injected("Item", &inj);
      if (out) *out = nullptr;
      if (injected && FAILED(inj)) return Done(c, inj);
      if (!out) return Done(c, E_POINTER);
      if (index >= tokens_.size()) return Done(c, kSperrNoMoreItems);
      c.text = tokens_[index].id;
      HRESULT hr = NewToken(tokens_[index], out);
      return Done(c, FAILED(hr) ? hr : (injected ? inj : S_OK));
    });
  }
  STDMETHODIMP GetCount(ULONG* count) override {
    return Guarded([&]() -> HRESULT {
      Call c = NewCall("GetCount");
      HRESULT inj;
      bool injected = Injected("GetCount", &inj);
      if (injected && FAILED(inj)) return Done(c, inj);
      if (!count) return Done(c, E_POINTER);
      *count = static_cast<ULONG>(tokens_.size());
      c.args = {*count};
      return Done(c, injected ? inj : S_OK);
    });
  }

 protected:
  bool Supports(REFIID iid) override { return iid == IID_IUnknown || iid == __uuidof(IEnumSpObjectTokens); }

 private:
  std::vector<TokenDef> tokens_;
  ULONG position_;
};

class Category final : public ComObject<ISpObjectTokenCategory> {
 public:
  Category() : ComObject("category") {}

  // ---- ISpDataKey ----
  STDMETHODIMP GetStringValue(LPCWSTR, LPWSTR*) override { return NotImpl("GetStringValue"); }
  TEST_VOICE_DATAKEY_NOT_IMPLEMENTED

  // ---- ISpObjectTokenCategory ----
  STDMETHODIMP SetId(LPCWSTR id, BOOL create) override {
    return Guarded([&]() -> HRESULT {
      Call c = NewCall("SetId");
      c.textIsNull = id == nullptr;
      if (id) c.text = id;
      c.args = {static_cast<unsigned long long>(create ? 1 : 0)};
      HRESULT inj;
      bool injected = Injected("SetId", &inj);
      if (injected && FAILED(inj)) return Done(c, inj);
      std::lock_guard<std::mutex> lock(m_);
      if (id_) return Done(c, kSperrAlreadyInitialized);
      if (!id) return Done(c, E_POINTER);
      if (!EqualsNoCase(id, kVoicesCategory)) return Done(c, kSperrNotFound);
      id_ = id;
      return Done(c, injected ? inj : S_OK);
    });
  }
  STDMETHODIMP GetId(LPWSTR*) override { return NotImpl("GetId"); }
  STDMETHODIMP GetDataKey(SPDATAKEYLOCATION, ISpDataKey**) override { return NotImpl("GetDataKey"); }
  STDMETHODIMP EnumTokens(LPCWSTR required, LPCWSTR optional, IEnumSpObjectTokens** out) override {
    return Guarded([&]() -> HRESULT {
      Call c = NewCall("EnumTokens");
      c.textIsNull = required == nullptr;
      if (required) c.text = required;
      if (optional) c.text2 = optional;
      HRESULT inj;
      bool injected = Injected("EnumTokens", &inj);
      if (out) *out = nullptr;
      if (injected && FAILED(inj)) return Done(c, inj);
      if (!out) return Done(c, E_POINTER);
      {
        std::lock_guard<std::mutex> lock(m_);
        if (!id_) return Done(c, kSperrUninitialized);
      }
      auto* e = new TokenEnum(Tokens(), 0);
      HRESULT hr = e->QueryInterface(__uuidof(IEnumSpObjectTokens), reinterpret_cast<void**>(out));
      if (FAILED(hr)) {
        delete e;
        return Done(c, hr);
      }
      return Done(c, injected ? inj : S_OK);
    });
  }
  STDMETHODIMP SetDefaultTokenId(LPCWSTR) override { return NotImpl("SetDefaultTokenId"); }
  STDMETHODIMP GetDefaultTokenId(LPWSTR*) override { return NotImpl("GetDefaultTokenId"); }

 protected:
  bool Supports(REFIID iid) override {
    return iid == IID_IUnknown || iid == __uuidof(ISpDataKey) || iid == __uuidof(ISpObjectTokenCategory);
  }

 private:
  std::mutex m_;
  std::optional<std::wstring> id_;
};

}  // namespace

HRESULT CreateCategory(REFIID iid, void** ppv, std::string* name) {
  auto* c = new Category;
  HRESULT hr = c->QueryInterface(iid, ppv);
  if (FAILED(hr)) {
    delete c;
    return hr;
  }
  try {
    *name = c->name();
  } catch (...) {
    // the object is made; only its name is missing from the record
  }
  return hr;
}

}  // namespace test_voice::detail
