#include "registry_path.h"

#include <sperror.h>
#include "wide_text.h"

static const struct { const WCHAR *name; HKEY key; } roots[] = {
    { L"HKEY_LOCAL_MACHINE\\", HKEY_LOCAL_MACHINE },
    { L"HKEY_CURRENT_USER\\", HKEY_CURRENT_USER },
    { L"HKEY_CLASSES_ROOT\\", HKEY_CLASSES_ROOT },
    { L"HKEY_USERS\\", HKEY_USERS },
};

HRESULT hresult_from_registry(LSTATUS status)
{
    if (status == ERROR_SUCCESS) return S_OK;
    if (status == ERROR_FILE_NOT_FOUND) return SPERR_NOT_FOUND;
    if (status == ERROR_NO_MORE_ITEMS) return SPERR_NO_MORE_ITEMS;
    return HRESULT_FROM_WIN32(status);
}

BOOL registry_path_split(const WCHAR *path, HKEY *root, const WCHAR **below_root)
{
    size_t i;
    if (!path) return FALSE;
    for (i = 0; i < ARRAYSIZE(roots); i++)
    {
        if (wide_starts_with_nocase(path, roots[i].name))
        {
            *root = roots[i].key;
            *below_root = path + lstrlenW(roots[i].name);
            return TRUE;
        }
    }
    return FALSE;
}

HRESULT registry_open_subkey(HKEY parent, const WCHAR *name, BOOL create, HKEY *key)
{
    /* Write access where we may have it, so the key's Set methods work;
     * reading is all most callers need. */
    LSTATUS status = RegOpenKeyExW(parent, name, 0, KEY_READ | KEY_WRITE, key);
    if (status == ERROR_ACCESS_DENIED)
        status = RegOpenKeyExW(parent, name, 0, KEY_READ, key);
    if (status == ERROR_FILE_NOT_FOUND && create)
        status = RegCreateKeyExW(parent, name, 0, NULL, 0, KEY_READ | KEY_WRITE, NULL, key, NULL);
    return hresult_from_registry(status);
}

HRESULT registry_path_open(const WCHAR *path, BOOL create, HKEY *key)
{
    HKEY root;
    const WCHAR *below_root;
    if (!registry_path_split(path, &root, &below_root)) return E_INVALIDARG;
    return registry_open_subkey(root, below_root, create, key);
}
