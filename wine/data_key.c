#include "data_key.h"

#include <stdlib.h>
#include <string.h>
#include <sperror.h>
#include "registry_path.h"
#include "wide_text.h"

struct data_key
{
    ISpDataKey ISpDataKey_iface;
    LONG refs;
    HKEY key;
};

/* Registry value and key names are at most this long. */
enum { NAME_CAPACITY = 16384 };

static struct data_key *impl_from_ISpDataKey(ISpDataKey *iface)
{
    return CONTAINING_RECORD(iface, struct data_key, ISpDataKey_iface);
}

static HKEY key_of_data_key(ISpDataKey *iface)
{
    return impl_from_ISpDataKey(iface)->key;
}

HRESULT data_key_set_data(HKEY key, const WCHAR *name, ULONG size, const BYTE *data)
{
    if (!key) return SPERR_UNINITIALIZED;
    return hresult_from_registry(RegSetValueExW(key, name, 0, REG_BINARY, data, size));
}

HRESULT data_key_get_data(HKEY key, const WCHAR *name, ULONG *size, BYTE *data)
{
    DWORD type, capacity;
    LSTATUS status;
    if (!key) return SPERR_UNINITIALIZED;
    if (!size) return E_POINTER;
    capacity = *size;
    status = RegQueryValueExW(key, name, NULL, &type, data, &capacity);
    *size = capacity;
    return hresult_from_registry(status);
}

HRESULT data_key_set_string(HKEY key, const WCHAR *name, const WCHAR *value)
{
    if (!key) return SPERR_UNINITIALIZED;
    if (!value) return E_POINTER;
    return hresult_from_registry(RegSetValueExW(key, name, 0, REG_SZ, (const BYTE *)value,
                                                (lstrlenW(value) + 1) * sizeof(WCHAR)));
}

HRESULT data_key_get_string(HKEY key, const WCHAR *name, WCHAR **value)
{
    DWORD type, size = 0;
    LSTATUS status;
    WCHAR *text;

    if (!key) return SPERR_UNINITIALIZED;
    if (!value) return E_POINTER;
    *value = NULL;
    status = RegQueryValueExW(key, name, NULL, &type, NULL, &size);
    if (status != ERROR_SUCCESS) return hresult_from_registry(status);
    if (type != REG_SZ && type != REG_EXPAND_SZ) return SPERR_NOT_FOUND;

    /* Room for a terminator the stored value may lack. */
    text = CoTaskMemAlloc(size + sizeof(WCHAR));
    if (!text) return E_OUTOFMEMORY;
    status = RegQueryValueExW(key, name, NULL, &type, (BYTE *)text, &size);
    if (status != ERROR_SUCCESS)
    {
        CoTaskMemFree(text);
        return hresult_from_registry(status);
    }
    text[size / sizeof(WCHAR)] = 0;
    *value = text;
    return S_OK;
}

HRESULT data_key_set_dword(HKEY key, const WCHAR *name, DWORD value)
{
    if (!key) return SPERR_UNINITIALIZED;
    return hresult_from_registry(RegSetValueExW(key, name, 0, REG_DWORD, (const BYTE *)&value, sizeof(value)));
}

HRESULT data_key_get_dword(HKEY key, const WCHAR *name, DWORD *value)
{
    DWORD type, size = sizeof(*value);
    LSTATUS status;
    if (!key) return SPERR_UNINITIALIZED;
    if (!value) return E_POINTER;
    status = RegQueryValueExW(key, name, NULL, &type, (BYTE *)value, &size);
    if (status == ERROR_SUCCESS && type != REG_DWORD) return SPERR_NOT_FOUND;
    return hresult_from_registry(status);
}

static HRESULT open_sub_key(HKEY key, const WCHAR *name, BOOL create, ISpDataKey **sub_key)
{
    HKEY opened;
    HRESULT hr;
    if (!key) return SPERR_UNINITIALIZED;
    if (!sub_key) return E_POINTER;
    *sub_key = NULL;
    hr = registry_open_subkey(key, name, create, &opened);
    if (FAILED(hr)) return hr;
    return data_key_create(opened, sub_key);
}

HRESULT data_key_open(HKEY key, const WCHAR *name, ISpDataKey **sub_key)
{
    return open_sub_key(key, name, FALSE, sub_key);
}

HRESULT data_key_create_sub_key(HKEY key, const WCHAR *name, ISpDataKey **sub_key)
{
    return open_sub_key(key, name, TRUE, sub_key);
}

HRESULT data_key_delete_key(HKEY key, const WCHAR *name)
{
    if (!key) return SPERR_UNINITIALIZED;
    return hresult_from_registry(RegDeleteTreeW(key, name));
}

HRESULT data_key_delete_value(HKEY key, const WCHAR *name)
{
    if (!key) return SPERR_UNINITIALIZED;
    return hresult_from_registry(RegDeleteValueW(key, name));
}

static HRESULT enum_name(HKEY key, ULONG index, BOOL values, WCHAR **name)
{
    WCHAR *buffer;
    DWORD length = NAME_CAPACITY;
    LSTATUS status;
    HRESULT hr;

    if (!key) return SPERR_UNINITIALIZED;
    if (!name) return E_POINTER;
    *name = NULL;
    buffer = malloc(NAME_CAPACITY * sizeof(WCHAR));
    if (!buffer) return E_OUTOFMEMORY;
    status = values ? RegEnumValueW(key, index, buffer, &length, NULL, NULL, NULL, NULL)
                    : RegEnumKeyExW(key, index, buffer, &length, NULL, NULL, NULL, NULL);
    hr = hresult_from_registry(status);
    if (SUCCEEDED(hr)) hr = wide_dup_for_caller(buffer, name);
    free(buffer);
    return hr;
}

HRESULT data_key_enum_keys(HKEY key, ULONG index, WCHAR **name)
{
    return enum_name(key, index, FALSE, name);
}

HRESULT data_key_enum_values(HKEY key, ULONG index, WCHAR **name)
{
    return enum_name(key, index, TRUE, name);
}

static HRESULT STDMETHODCALLTYPE data_key_QueryInterface(ISpDataKey *iface, REFIID riid, void **out)
{
    if (!out) return E_POINTER;
    if (IsEqualIID(riid, &IID_IUnknown) || IsEqualIID(riid, &IID_ISpDataKey))
    {
        ISpDataKey_AddRef(iface);
        *out = iface;
        return S_OK;
    }
    *out = NULL;
    return E_NOINTERFACE;
}

static ULONG STDMETHODCALLTYPE data_key_AddRef(ISpDataKey *iface)
{
    return InterlockedIncrement(&impl_from_ISpDataKey(iface)->refs);
}

static ULONG STDMETHODCALLTYPE data_key_Release(ISpDataKey *iface)
{
    struct data_key *self = impl_from_ISpDataKey(iface);
    ULONG refs = InterlockedDecrement(&self->refs);
    if (!refs)
    {
        RegCloseKey(self->key);
        free(self);
    }
    return refs;
}

DATA_KEY_METHODS(data_key, ISpDataKey, key_of_data_key)

static const ISpDataKeyVtbl data_key_vtbl = {
    data_key_QueryInterface, data_key_AddRef, data_key_Release,
    DATA_KEY_VTBL_ENTRIES(data_key),
};

HRESULT data_key_create(HKEY key, ISpDataKey **out)
{
    struct data_key *self = malloc(sizeof(*self));
    if (!self)
    {
        RegCloseKey(key);
        return E_OUTOFMEMORY;
    }
    self->ISpDataKey_iface.lpVtbl = &data_key_vtbl;
    self->refs = 1;
    self->key = key;
    *out = &self->ISpDataKey_iface;
    return S_OK;
}
