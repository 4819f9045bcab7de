/* ISpObjectTokenCategory: a registry key whose Tokens subkey lists tokens. */
#ifndef TOKEN_CATEGORY_H
#define TOKEN_CATEGORY_H

#include <windows.h>
#include <sapi.h>

#define VOICES_CATEGORY_ID L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Speech\\Voices"

HRESULT token_category_class_create(IUnknown *outer, REFIID riid, void **out);

/* The user's choice (DefaultTokenId under the same path in HKEY_CURRENT_USER),
 * else the category's DefaultDefaultTokenId, else its first token.  The id is
 * malloc'ed. */
HRESULT token_category_default_token_id(const WCHAR *category_id, WCHAR **token_id);

#endif
