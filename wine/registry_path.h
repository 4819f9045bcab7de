/* SAPI names registry keys by full paths ("HKEY_LOCAL_MACHINE\SOFTWARE\...");
 * these turn such a path into an open key. */
#ifndef REGISTRY_PATH_H
#define REGISTRY_PATH_H

#include <windows.h>

BOOL registry_path_split(const WCHAR *path, HKEY *root, const WCHAR **below_root);
HRESULT registry_path_open(const WCHAR *path, BOOL create, HKEY *key);
HRESULT registry_open_subkey(HKEY parent, const WCHAR *name, BOOL create, HKEY *key);
HRESULT hresult_from_registry(LSTATUS status);

#endif
