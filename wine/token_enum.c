#include "token_enum.h"

#include <stdlib.h>
#include <sperror.h>
#include "object_token.h"
#include "wide_text.h"

struct token_enum
{
    IEnumSpObjectTokens IEnumSpObjectTokens_iface;
    LONG refs;
    struct token_id_list list;
    ULONG position;
};

void token_id_list_free(struct token_id_list *list)
{
    ULONG i;
    for (i = 0; i < list->count; i++) free(list->ids[i]);
    free(list->ids);
    list->ids = NULL;
    list->count = 0;
}

BOOL token_id_list_add(struct token_id_list *list, WCHAR *id)
{
    WCHAR **grown = realloc(list->ids, (list->count + 1) * sizeof(*grown));
    if (!grown) return FALSE;
    list->ids = grown;
    list->ids[list->count++] = id;
    return TRUE;
}

static struct token_enum *impl_from_IEnumSpObjectTokens(IEnumSpObjectTokens *iface)
{
    return CONTAINING_RECORD(iface, struct token_enum, IEnumSpObjectTokens_iface);
}

static HRESULT STDMETHODCALLTYPE token_enum_QueryInterface(IEnumSpObjectTokens *iface, REFIID riid, void **out)
{
    if (!out) return E_POINTER;
    if (IsEqualIID(riid, &IID_IUnknown) || IsEqualIID(riid, &IID_IEnumSpObjectTokens))
    {
        IEnumSpObjectTokens_AddRef(iface);
        *out = iface;
        return S_OK;
    }
    *out = NULL;
    return E_NOINTERFACE;
}

static ULONG STDMETHODCALLTYPE token_enum_AddRef(IEnumSpObjectTokens *iface)
{
    return InterlockedIncrement(&impl_from_IEnumSpObjectTokens(iface)->refs);
}

static ULONG STDMETHODCALLTYPE token_enum_Release(IEnumSpObjectTokens *iface)
{
    struct token_enum *self = impl_from_IEnumSpObjectTokens(iface);
    ULONG refs = InterlockedDecrement(&self->refs);
    if (!refs)
    {
        token_id_list_free(&self->list);
        free(self);
    }
    return refs;
}

static HRESULT STDMETHODCALLTYPE token_enum_Next(IEnumSpObjectTokens *iface, ULONG count,
                                                 ISpObjectToken **tokens, ULONG *fetched)
{
    struct token_enum *self = impl_from_IEnumSpObjectTokens(iface);
    ULONG done = 0;
    HRESULT hr = S_OK;

    if (!tokens) return E_POINTER;
    if (count > 1 && !fetched) return E_POINTER;
    while (done < count && self->position < self->list.count)
    {
        hr = object_token_open(self->list.ids[self->position], &tokens[done]);
        if (FAILED(hr)) break;
        self->position++;
        done++;
    }
    if (FAILED(hr))
    {
        while (done)
        {
            done--;
            ISpObjectToken_Release(tokens[done]);
        }
        if (fetched) *fetched = 0;
        return hr;
    }
    if (fetched) *fetched = done;
    return done == count ? S_OK : S_FALSE;
}

static HRESULT STDMETHODCALLTYPE token_enum_Skip(IEnumSpObjectTokens *iface, ULONG count)
{
    struct token_enum *self = impl_from_IEnumSpObjectTokens(iface);
    ULONG left = self->list.count - self->position;
    self->position += min(count, left);
    return count <= left ? S_OK : S_FALSE;
}

static HRESULT STDMETHODCALLTYPE token_enum_Reset(IEnumSpObjectTokens *iface)
{
    impl_from_IEnumSpObjectTokens(iface)->position = 0;
    return S_OK;
}

static HRESULT STDMETHODCALLTYPE token_enum_Clone(IEnumSpObjectTokens *iface, IEnumSpObjectTokens **out)
{
    struct token_enum *self = impl_from_IEnumSpObjectTokens(iface);
    struct token_id_list copy = { NULL, 0 };
    HRESULT hr;
    ULONG i;

    if (!out) return E_POINTER;
    for (i = 0; i < self->list.count; i++)
    {
        WCHAR *id = wide_dup(self->list.ids[i]);
        if (!id || !token_id_list_add(&copy, id))
        {
            free(id);
            token_id_list_free(&copy);
            return E_OUTOFMEMORY;
        }
    }
    hr = token_enum_create(&copy, out);
    if (SUCCEEDED(hr)) impl_from_IEnumSpObjectTokens(*out)->position = self->position;
    return hr;
}

static HRESULT STDMETHODCALLTYPE token_enum_Item(IEnumSpObjectTokens *iface, ULONG index, ISpObjectToken **token)
{
    struct token_enum *self = impl_from_IEnumSpObjectTokens(iface);
    if (!token) return E_POINTER;
    *token = NULL;
    if (index >= self->list.count) return SPERR_NO_MORE_ITEMS;
    return object_token_open(self->list.ids[index], token);
}

static HRESULT STDMETHODCALLTYPE token_enum_GetCount(IEnumSpObjectTokens *iface, ULONG *count)
{
    if (!count) return E_POINTER;
    *count = impl_from_IEnumSpObjectTokens(iface)->list.count;
    return S_OK;
}

static const IEnumSpObjectTokensVtbl token_enum_vtbl = {
    token_enum_QueryInterface, token_enum_AddRef, token_enum_Release,
    token_enum_Next, token_enum_Skip, token_enum_Reset, token_enum_Clone,
    token_enum_Item, token_enum_GetCount,
};

HRESULT token_enum_create(struct token_id_list *list, IEnumSpObjectTokens **out)
{
    struct token_enum *self = calloc(1, sizeof(*self));
    if (!self)
    {
        token_id_list_free(list);
        return E_OUTOFMEMORY;
    }
    self->IEnumSpObjectTokens_iface.lpVtbl = &token_enum_vtbl;
    self->refs = 1;
    self->list = *list;
    list->ids = NULL;
    list->count = 0;
    *out = &self->IEnumSpObjectTokens_iface;
    return S_OK;
}
