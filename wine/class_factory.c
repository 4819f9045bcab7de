/* The DLL's COM entry points: the voice and the token classes it serves in
 * place of Wine's own, which cannot speak. */
#include <windows.h>
#include <objbase.h>
#include <sapi.h>
#include "object_token.h"
#include "token_category.h"
#include "voice.h"

HINSTANCE module_instance;

typedef HRESULT (*class_create_fn)(IUnknown *outer, REFIID riid, void **out);

struct class_factory
{
    IClassFactory IClassFactory_iface;
    class_create_fn create;
};

static struct class_factory *impl_from_IClassFactory(IClassFactory *iface)
{
    return CONTAINING_RECORD(iface, struct class_factory, IClassFactory_iface);
}

static HRESULT STDMETHODCALLTYPE factory_QueryInterface(IClassFactory *iface, REFIID riid, void **out)
{
    if (!out) return E_POINTER;
    if (IsEqualIID(riid, &IID_IUnknown) || IsEqualIID(riid, &IID_IClassFactory))
    {
        *out = iface;
        return S_OK;
    }
    *out = NULL;
    return E_NOINTERFACE;
}

/* The factories are static: counting references to them would change nothing. */
static ULONG STDMETHODCALLTYPE factory_AddRef(IClassFactory *iface)
{
    return 2;
}

static ULONG STDMETHODCALLTYPE factory_Release(IClassFactory *iface)
{
    return 1;
}

static HRESULT STDMETHODCALLTYPE factory_CreateInstance(IClassFactory *iface, IUnknown *outer, REFIID riid, void **out)
{
    if (!out) return E_POINTER;
    *out = NULL;
    return impl_from_IClassFactory(iface)->create(outer, riid, out);
}

static HRESULT STDMETHODCALLTYPE factory_LockServer(IClassFactory *iface, BOOL lock)
{
    return S_OK;
}

static const IClassFactoryVtbl factory_vtbl = {
    factory_QueryInterface, factory_AddRef, factory_Release, factory_CreateInstance, factory_LockServer,
};

static struct class_factory voice_factory = { { &factory_vtbl }, voice_class_create };
static struct class_factory category_factory = { { &factory_vtbl }, token_category_class_create };
static struct class_factory token_factory = { { &factory_vtbl }, object_token_class_create };

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void *reserved)
{
    if (reason == DLL_PROCESS_ATTACH)
    {
        module_instance = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void **out)
{
    struct class_factory *factory = NULL;
    if (!out) return E_POINTER;
    *out = NULL;
    if (IsEqualCLSID(clsid, &CLSID_SpVoice)) factory = &voice_factory;
    else if (IsEqualCLSID(clsid, &CLSID_SpObjectTokenCategory)) factory = &category_factory;
    else if (IsEqualCLSID(clsid, &CLSID_SpObjectToken)) factory = &token_factory;
    if (!factory) return CLASS_E_CLASSNOTAVAILABLE;
    return factory_QueryInterface(&factory->IClassFactory_iface, riid, out);
}

/* Voices run threads in this module and its relay window class stays
 * registered: it stays loaded. */
HRESULT WINAPI DllCanUnloadNow(void)
{
    return S_FALSE;
}
