/* ISpDataKey over a registry key.  Tokens and categories are data keys too:
 * their vtables begin with the same twelve methods, which DATA_KEY_METHODS
 * defines for them as forwarders to the functions below. */
#ifndef DATA_KEY_H
#define DATA_KEY_H

#include <windows.h>
#include <sapi.h>

/* Takes ownership of key, also on failure. */
HRESULT data_key_create(HKEY key, ISpDataKey **out);

HRESULT data_key_set_data(HKEY key, const WCHAR *name, ULONG size, const BYTE *data);
HRESULT data_key_get_data(HKEY key, const WCHAR *name, ULONG *size, BYTE *data);
HRESULT data_key_set_string(HKEY key, const WCHAR *name, const WCHAR *value);
HRESULT data_key_get_string(HKEY key, const WCHAR *name, WCHAR **value);
HRESULT data_key_set_dword(HKEY key, const WCHAR *name, DWORD value);
HRESULT data_key_get_dword(HKEY key, const WCHAR *name, DWORD *value);
HRESULT data_key_open(HKEY key, const WCHAR *name, ISpDataKey **sub_key);
HRESULT data_key_create_sub_key(HKEY key, const WCHAR *name, ISpDataKey **sub_key);
HRESULT data_key_delete_key(HKEY key, const WCHAR *name);
HRESULT data_key_delete_value(HKEY key, const WCHAR *name);
HRESULT data_key_enum_keys(HKEY key, ULONG index, WCHAR **name);
HRESULT data_key_enum_values(HKEY key, ULONG index, WCHAR **name);

#define DATA_KEY_METHODS(prefix, Iface, key_of) \
static HRESULT STDMETHODCALLTYPE prefix##_SetData(Iface *iface, LPCWSTR name, ULONG size, const BYTE *data) \
{ return data_key_set_data(key_of(iface), name, size, data); } \
static HRESULT STDMETHODCALLTYPE prefix##_GetData(Iface *iface, LPCWSTR name, ULONG *size, BYTE *data) \
{ return data_key_get_data(key_of(iface), name, size, data); } \
static HRESULT STDMETHODCALLTYPE prefix##_SetStringValue(Iface *iface, LPCWSTR name, LPCWSTR value) \
{ return data_key_set_string(key_of(iface), name, value); } \
static HRESULT STDMETHODCALLTYPE prefix##_GetStringValue(Iface *iface, LPCWSTR name, LPWSTR *value) \
{ return data_key_get_string(key_of(iface), name, value); } \
static HRESULT STDMETHODCALLTYPE prefix##_SetDWORD(Iface *iface, LPCWSTR name, DWORD value) \
{ return data_key_set_dword(key_of(iface), name, value); } \
static HRESULT STDMETHODCALLTYPE prefix##_GetDWORD(Iface *iface, LPCWSTR name, DWORD *value) \
{ return data_key_get_dword(key_of(iface), name, value); } \
static HRESULT STDMETHODCALLTYPE prefix##_OpenKey(Iface *iface, LPCWSTR name, ISpDataKey **sub_key) \
{ return data_key_open(key_of(iface), name, sub_key); } \
static HRESULT STDMETHODCALLTYPE prefix##_CreateKey(Iface *iface, LPCWSTR name, ISpDataKey **sub_key) \
{ return data_key_create_sub_key(key_of(iface), name, sub_key); } \
static HRESULT STDMETHODCALLTYPE prefix##_DeleteKey(Iface *iface, LPCWSTR name) \
{ return data_key_delete_key(key_of(iface), name); } \
static HRESULT STDMETHODCALLTYPE prefix##_DeleteValue(Iface *iface, LPCWSTR name) \
{ return data_key_delete_value(key_of(iface), name); } \
static HRESULT STDMETHODCALLTYPE prefix##_EnumKeys(Iface *iface, ULONG index, LPWSTR *name) \
{ return data_key_enum_keys(key_of(iface), index, name); } \
static HRESULT STDMETHODCALLTYPE prefix##_EnumValues(Iface *iface, ULONG index, LPWSTR *name) \
{ return data_key_enum_values(key_of(iface), index, name); }

#define DATA_KEY_VTBL_ENTRIES(prefix) \
    prefix##_SetData, prefix##_GetData, prefix##_SetStringValue, prefix##_GetStringValue, \
    prefix##_SetDWORD, prefix##_GetDWORD, prefix##_OpenKey, prefix##_CreateKey, \
    prefix##_DeleteKey, prefix##_DeleteValue, prefix##_EnumKeys, prefix##_EnumValues

#endif
