#include "token_category.h"

#include <stdlib.h>
#include <sperror.h>
#include <objbase.h>
#include "data_key.h"
#include "registry_path.h"
#include "token_attributes.h"
#include "token_enum.h"
#include "wide_text.h"

struct token_category
{
    ISpObjectTokenCategory ISpObjectTokenCategory_iface;
    LONG refs;
    HKEY key;
    WCHAR *id;
};

static struct token_category *impl_from_ISpObjectTokenCategory(ISpObjectTokenCategory *iface)
{
    return CONTAINING_RECORD(iface, struct token_category, ISpObjectTokenCategory_iface);
}

static HKEY key_of_category(ISpObjectTokenCategory *iface)
{
    return impl_from_ISpObjectTokenCategory(iface)->key;
}

static BOOL token_exists(const WCHAR *token_id)
{
    HKEY key;
    if (FAILED(registry_path_open(token_id, FALSE, &key))) return FALSE;
    RegCloseKey(key);
    return TRUE;
}

/* The same path as the category's, under HKEY_CURRENT_USER. */
static HRESULT open_user_key(const WCHAR *category_id, BOOL create, HKEY *key)
{
    HKEY root;
    const WCHAR *below_root;
    if (!registry_path_split(category_id, &root, &below_root)) return E_INVALIDARG;
    return registry_open_subkey(HKEY_CURRENT_USER, below_root, create, key);
}

static WCHAR *read_string(HKEY key, const WCHAR *name)
{
    WCHAR *co_text = NULL, *text = NULL;
    if (SUCCEEDED(data_key_get_string(key, name, &co_text)))
    {
        text = wide_dup(co_text);
        CoTaskMemFree(co_text);
    }
    return text;
}

/* Token ids in registry order; those matching the optional attributes first. */
static HRESULT list_tokens(HKEY category_key, const WCHAR *category_id, const WCHAR *required,
                           const WCHAR *optional, struct token_id_list *out)
{
    struct token_id_list preferred = { NULL, 0 }, others = { NULL, 0 };
    const WCHAR *separator;
    WCHAR name[256];
    HKEY tokens;
    DWORD index;
    HRESULT hr = S_OK;

    out->ids = NULL;
    out->count = 0;
    if (RegOpenKeyExW(category_key, L"Tokens", 0, KEY_READ, &tokens) != ERROR_SUCCESS) return S_OK;
    separator = category_id[0] && category_id[lstrlenW(category_id) - 1] == '\\' ? L"Tokens\\" : L"\\Tokens\\";

    for (index = 0; SUCCEEDED(hr); index++)
    {
        DWORD length = ARRAYSIZE(name);
        HKEY token_key;
        WCHAR *id, *prefix;
        BOOL wanted, stored;

        if (RegEnumKeyExW(tokens, index, name, &length, NULL, NULL, NULL, NULL) != ERROR_SUCCESS) break;
        if (RegOpenKeyExW(tokens, name, 0, KEY_READ, &token_key) != ERROR_SUCCESS) continue;
        wanted = token_attributes_match(token_key, required);
        stored = TRUE;
        if (wanted)
        {
            BOOL is_preferred = optional && *optional && token_attributes_match(token_key, optional);
            prefix = wide_join(category_id, separator, NULL);
            id = prefix ? wide_join(prefix, name, NULL) : NULL;
            free(prefix);
            stored = id && token_id_list_add(is_preferred ? &preferred : &others, id);
            if (!stored) free(id);
        }
        RegCloseKey(token_key);
        if (!stored) hr = E_OUTOFMEMORY;
    }
    RegCloseKey(tokens);

    for (index = 0; SUCCEEDED(hr) && index < others.count; index++)
    {
        if (token_id_list_add(&preferred, others.ids[index])) others.ids[index] = NULL;
        else hr = E_OUTOFMEMORY;
    }
    token_id_list_free(&others);
    if (FAILED(hr))
    {
        token_id_list_free(&preferred);
        return hr;
    }
    *out = preferred;
    return S_OK;
}

HRESULT token_category_default_token_id(const WCHAR *category_id, WCHAR **token_id)
{
    struct token_id_list all;
    HKEY key;
    HRESULT hr;

    *token_id = NULL;
    if (SUCCEEDED(open_user_key(category_id, FALSE, &key)))
    {
        *token_id = read_string(key, L"DefaultTokenId");
        RegCloseKey(key);
        if (*token_id && token_exists(*token_id)) return S_OK;
        free(*token_id);
        *token_id = NULL;
    }

    hr = registry_path_open(category_id, FALSE, &key);
    if (FAILED(hr)) return hr;
    *token_id = read_string(key, L"DefaultDefaultTokenId");
    if (*token_id && token_exists(*token_id))
    {
        RegCloseKey(key);
        return S_OK;
    }
    free(*token_id);
    *token_id = NULL;

    hr = list_tokens(key, category_id, NULL, NULL, &all);
    RegCloseKey(key);
    if (FAILED(hr)) return hr;
    if (!all.count) hr = SPERR_NOT_FOUND;
    else
    {
        *token_id = all.ids[0];
        all.ids[0] = NULL;
    }
    token_id_list_free(&all);
    return hr;
}

static HRESULT STDMETHODCALLTYPE category_QueryInterface(ISpObjectTokenCategory *iface, REFIID riid, void **out)
{
    if (!out) return E_POINTER;
    if (IsEqualIID(riid, &IID_IUnknown) || IsEqualIID(riid, &IID_ISpDataKey)
        || IsEqualIID(riid, &IID_ISpObjectTokenCategory))
    {
        ISpObjectTokenCategory_AddRef(iface);
        *out = iface;
        return S_OK;
    }
    *out = NULL;
    return E_NOINTERFACE;
}

static ULONG STDMETHODCALLTYPE category_AddRef(ISpObjectTokenCategory *iface)
{
    return InterlockedIncrement(&impl_from_ISpObjectTokenCategory(iface)->refs);
}

static ULONG STDMETHODCALLTYPE category_Release(ISpObjectTokenCategory *iface)
{
    struct token_category *self = impl_from_ISpObjectTokenCategory(iface);
    ULONG refs = InterlockedDecrement(&self->refs);
    if (!refs)
    {
        if (self->key) RegCloseKey(self->key);
        free(self->id);
        free(self);
    }
    return refs;
}

DATA_KEY_METHODS(category, ISpObjectTokenCategory, key_of_category)

static HRESULT STDMETHODCALLTYPE category_SetId(ISpObjectTokenCategory *iface, LPCWSTR id, BOOL create)
{
    struct token_category *self = impl_from_ISpObjectTokenCategory(iface);
    HKEY key;
    HRESULT hr;

    if (self->key) return SPERR_ALREADY_INITIALIZED;
    if (!id) return E_POINTER;
    if (!(self->id = wide_dup(id))) return E_OUTOFMEMORY;
    hr = registry_path_open(id, create, &key);
    if (FAILED(hr))
    {
        free(self->id);
        self->id = NULL;
        return hr;
    }
    self->key = key;
    return S_OK;
}

static HRESULT STDMETHODCALLTYPE category_GetId(ISpObjectTokenCategory *iface, LPWSTR *id)
{
    struct token_category *self = impl_from_ISpObjectTokenCategory(iface);
    if (!self->key) return SPERR_UNINITIALIZED;
    return wide_dup_for_caller(self->id, id);
}

static HRESULT STDMETHODCALLTYPE category_GetDataKey(ISpObjectTokenCategory *iface, SPDATAKEYLOCATION location,
                                                     ISpDataKey **data_key)
{
    struct token_category *self = impl_from_ISpObjectTokenCategory(iface);
    HKEY key;
    HRESULT hr;

    if (!self->key) return SPERR_UNINITIALIZED;
    if (!data_key) return E_POINTER;
    *data_key = NULL;
    if (location == SPDKL_CurrentUser)
        hr = open_user_key(self->id, TRUE, &key);
    else if (location == SPDKL_DefaultLocation || location == SPDKL_LocalMachine)
        hr = registry_open_subkey(self->key, NULL, FALSE, &key);
    else
        return E_INVALIDARG;
    if (FAILED(hr)) return hr;
    return data_key_create(key, data_key);
}

static HRESULT STDMETHODCALLTYPE category_EnumTokens(ISpObjectTokenCategory *iface, LPCWSTR required,
                                                     LPCWSTR optional, IEnumSpObjectTokens **out)
{
    struct token_category *self = impl_from_ISpObjectTokenCategory(iface);
    struct token_id_list list;
    HRESULT hr;

    if (!self->key) return SPERR_UNINITIALIZED;
    if (!out) return E_POINTER;
    *out = NULL;
    hr = list_tokens(self->key, self->id, required, optional, &list);
    if (FAILED(hr)) return hr;
    return token_enum_create(&list, out);
}

static HRESULT STDMETHODCALLTYPE category_SetDefaultTokenId(ISpObjectTokenCategory *iface, LPCWSTR token_id)
{
    struct token_category *self = impl_from_ISpObjectTokenCategory(iface);
    HKEY key;
    HRESULT hr;

    if (!self->key) return SPERR_UNINITIALIZED;
    if (!token_id) return E_POINTER;
    hr = open_user_key(self->id, TRUE, &key);
    if (FAILED(hr)) return hr;
    hr = data_key_set_string(key, L"DefaultTokenId", token_id);
    RegCloseKey(key);
    return hr;
}

static HRESULT STDMETHODCALLTYPE category_GetDefaultTokenId(ISpObjectTokenCategory *iface, LPWSTR *token_id)
{
    struct token_category *self = impl_from_ISpObjectTokenCategory(iface);
    WCHAR *id;
    HRESULT hr;

    if (!self->key) return SPERR_UNINITIALIZED;
    if (!token_id) return E_POINTER;
    *token_id = NULL;
    hr = token_category_default_token_id(self->id, &id);
    if (FAILED(hr)) return hr;
    hr = wide_dup_for_caller(id, token_id);
    free(id);
    return hr;
}

static const ISpObjectTokenCategoryVtbl category_vtbl = {
    category_QueryInterface, category_AddRef, category_Release,
    DATA_KEY_VTBL_ENTRIES(category),
    category_SetId, category_GetId, category_GetDataKey, category_EnumTokens,
    category_SetDefaultTokenId, category_GetDefaultTokenId,
};

HRESULT token_category_class_create(IUnknown *outer, REFIID riid, void **out)
{
    struct token_category *self;
    HRESULT hr;
    if (outer) return CLASS_E_NOAGGREGATION;
    if (!(self = calloc(1, sizeof(*self)))) return E_OUTOFMEMORY;
    self->ISpObjectTokenCategory_iface.lpVtbl = &category_vtbl;
    self->refs = 1;
    hr = category_QueryInterface(&self->ISpObjectTokenCategory_iface, riid, out);
    category_Release(&self->ISpObjectTokenCategory_iface);
    return hr;
}
