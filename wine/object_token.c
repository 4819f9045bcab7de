#include "object_token.h"

#include <stdlib.h>
#include <sperror.h>
#include "data_key.h"
#include "registry_path.h"
#include "token_attributes.h"
#include "wide_text.h"

struct object_token
{
    ISpObjectToken ISpObjectToken_iface;
    LONG refs;
    HKEY key;
    WCHAR *id;
};

static struct object_token *impl_from_ISpObjectToken(ISpObjectToken *iface)
{
    return CONTAINING_RECORD(iface, struct object_token, ISpObjectToken_iface);
}

static HKEY key_of_token(ISpObjectToken *iface)
{
    return impl_from_ISpObjectToken(iface)->key;
}

static HRESULT STDMETHODCALLTYPE token_QueryInterface(ISpObjectToken *iface, REFIID riid, void **out)
{
    if (!out) return E_POINTER;
    if (IsEqualIID(riid, &IID_IUnknown) || IsEqualIID(riid, &IID_ISpDataKey)
        || IsEqualIID(riid, &IID_ISpObjectToken))
    {
        ISpObjectToken_AddRef(iface);
        *out = iface;
        return S_OK;
    }
    *out = NULL;
    return E_NOINTERFACE;
}

static ULONG STDMETHODCALLTYPE token_AddRef(ISpObjectToken *iface)
{
    return InterlockedIncrement(&impl_from_ISpObjectToken(iface)->refs);
}

static ULONG STDMETHODCALLTYPE token_Release(ISpObjectToken *iface)
{
    struct object_token *self = impl_from_ISpObjectToken(iface);
    ULONG refs = InterlockedDecrement(&self->refs);
    if (!refs)
    {
        if (self->key) RegCloseKey(self->key);
        free(self->id);
        free(self);
    }
    return refs;
}

DATA_KEY_METHODS(token, ISpObjectToken, key_of_token)

static HRESULT STDMETHODCALLTYPE token_SetId(ISpObjectToken *iface, LPCWSTR category_id,
                                             LPCWSTR token_id, BOOL create)
{
    struct object_token *self = impl_from_ISpObjectToken(iface);
    HKEY key;
    HRESULT hr;

    if (self->key) return SPERR_ALREADY_INITIALIZED;
    if (!token_id) return E_POINTER;
    if (!(self->id = wide_dup(token_id))) return E_OUTOFMEMORY;
    hr = registry_path_open(token_id, create, &key);
    if (FAILED(hr))
    {
        free(self->id);
        self->id = NULL;
        return hr;
    }
    self->key = key;
    return S_OK;
}

static HRESULT STDMETHODCALLTYPE token_GetId(ISpObjectToken *iface, LPWSTR *id)
{
    struct object_token *self = impl_from_ISpObjectToken(iface);
    if (!self->key) return SPERR_UNINITIALIZED;
    return wide_dup_for_caller(self->id, id);
}

static HRESULT STDMETHODCALLTYPE token_GetCategory(ISpObjectToken *iface, ISpObjectTokenCategory **category)
{
    return E_NOTIMPL;
}

static HRESULT STDMETHODCALLTYPE token_CreateInstance(ISpObjectToken *iface, IUnknown *outer, DWORD context,
                                                      REFIID riid, void **out)
{
    return E_NOTIMPL;
}

static HRESULT STDMETHODCALLTYPE token_GetStorageFileName(ISpObjectToken *iface, REFCLSID caller, LPCWSTR value_name,
                                                          LPCWSTR specifier, ULONG folder, LPWSTR *path)
{
    return E_NOTIMPL;
}

static HRESULT STDMETHODCALLTYPE token_RemoveStorageFileName(ISpObjectToken *iface, REFCLSID caller,
                                                             LPCWSTR key_name, BOOL delete_file)
{
    return E_NOTIMPL;
}

static HRESULT STDMETHODCALLTYPE token_Remove(ISpObjectToken *iface, const CLSID *caller)
{
    return E_NOTIMPL;
}

static HRESULT STDMETHODCALLTYPE token_IsUISupported(ISpObjectToken *iface, LPCWSTR type, void *extra,
                                                     ULONG extra_size, IUnknown *object, BOOL *supported)
{
    if (!supported) return E_POINTER;
    *supported = FALSE;
    return S_OK;
}

static HRESULT STDMETHODCALLTYPE token_DisplayUI(ISpObjectToken *iface, HWND parent, LPCWSTR title, LPCWSTR type,
                                                 void *extra, ULONG extra_size, IUnknown *object)
{
    return E_NOTIMPL;
}

static HRESULT STDMETHODCALLTYPE token_MatchesAttributes(ISpObjectToken *iface, LPCWSTR attributes, BOOL *matches)
{
    struct object_token *self = impl_from_ISpObjectToken(iface);
    if (!self->key) return SPERR_UNINITIALIZED;
    if (!matches) return E_POINTER;
    *matches = token_attributes_match(self->key, attributes);
    return S_OK;
}

static const ISpObjectTokenVtbl token_vtbl = {
    token_QueryInterface, token_AddRef, token_Release,
    DATA_KEY_VTBL_ENTRIES(token),
    token_SetId, token_GetId, token_GetCategory, token_CreateInstance,
    token_GetStorageFileName, token_RemoveStorageFileName, token_Remove,
    token_IsUISupported, token_DisplayUI, token_MatchesAttributes,
};

static struct object_token *token_new(void)
{
    struct object_token *self = calloc(1, sizeof(*self));
    if (!self) return NULL;
    self->ISpObjectToken_iface.lpVtbl = &token_vtbl;
    self->refs = 1;
    return self;
}

HRESULT object_token_class_create(IUnknown *outer, REFIID riid, void **out)
{
    struct object_token *self;
    HRESULT hr;
    if (outer) return CLASS_E_NOAGGREGATION;
    if (!(self = token_new())) return E_OUTOFMEMORY;
    hr = token_QueryInterface(&self->ISpObjectToken_iface, riid, out);
    token_Release(&self->ISpObjectToken_iface);
    return hr;
}

HRESULT object_token_open(const WCHAR *token_id, ISpObjectToken **out)
{
    struct object_token *self = token_new();
    HRESULT hr;
    *out = NULL;
    if (!self) return E_OUTOFMEMORY;
    hr = token_SetId(&self->ISpObjectToken_iface, NULL, token_id, FALSE);
    if (FAILED(hr))
    {
        token_Release(&self->ISpObjectToken_iface);
        return hr;
    }
    *out = &self->ISpObjectToken_iface;
    return S_OK;
}
