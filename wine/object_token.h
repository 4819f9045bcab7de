/* ISpObjectToken: one registry key under a category's Tokens key. */
#ifndef OBJECT_TOKEN_H
#define OBJECT_TOKEN_H

#include <windows.h>
#include <sapi.h>

HRESULT object_token_class_create(IUnknown *outer, REFIID riid, void **out);
HRESULT object_token_open(const WCHAR *token_id, ISpObjectToken **out);

#endif
