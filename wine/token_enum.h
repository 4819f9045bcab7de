/* IEnumSpObjectTokens over a fixed list of token ids, taken when the
 * category was enumerated. */
#ifndef TOKEN_ENUM_H
#define TOKEN_ENUM_H

#include <windows.h>
#include <sapi.h>

struct token_id_list
{
    WCHAR **ids;
    ULONG count;
};

void token_id_list_free(struct token_id_list *list);
BOOL token_id_list_add(struct token_id_list *list, WCHAR *id);

/* Takes ownership of the list's ids, also on failure. */
HRESULT token_enum_create(struct token_id_list *list, IEnumSpObjectTokens **out);

#endif
