#include "notifier.h"

#include <sperror.h>

extern HINSTANCE module_instance;

enum { RELAY_MESSAGE = WM_USER + 1 };
static const WCHAR relay_class[] = L"VexlorinEspeakNotifyRelay";

/* ISpNotifyCallback is a C++ interface with one method and no IUnknown. */
typedef HRESULT (STDMETHODCALLTYPE *notify_callback_method)(void *self, WPARAM wparam, LPARAM lparam);

static void call_notify_callback(ISpNotifyCallback *callback, WPARAM wparam, LPARAM lparam)
{
    notify_callback_method method = (*(notify_callback_method **)callback)[0];
    method(callback, wparam, lparam);
}

static void deliver(struct notifier *notifier)
{
    enum notifier_kind kind;
    SPNOTIFYCALLBACK *function;
    ISpNotifyCallback *callback;
    WPARAM wparam;
    LPARAM lparam;

    EnterCriticalSection(&notifier->lock);
    InterlockedExchange(&notifier->relay_pending, 0);
    kind = notifier->kind;
    function = notifier->function;
    callback = notifier->callback;
    wparam = notifier->wparam;
    lparam = notifier->lparam;
    LeaveCriticalSection(&notifier->lock);

    /* Outside the lock: the client typically calls back into the voice. */
    if (kind == NOTIFY_CALLBACK_FUNCTION) function(wparam, lparam);
    else if (kind == NOTIFY_CALLBACK_INTERFACE) call_notify_callback(callback, wparam, lparam);
}

static LRESULT CALLBACK relay_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == RELAY_MESSAGE)
    {
        struct notifier *notifier = (struct notifier *)GetWindowLongPtrW(window, GWLP_USERDATA);
        if (notifier) deliver(notifier);
        return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

static BOOL CALLBACK register_relay_class(INIT_ONCE *once, void *parameter, void **context)
{
    WNDCLASSW window_class = { 0 };
    window_class.lpfnWndProc = relay_proc;
    window_class.hInstance = module_instance;
    window_class.lpszClassName = relay_class;
    return RegisterClassW(&window_class) != 0;
}

static HWND create_relay(struct notifier *notifier)
{
    static INIT_ONCE class_once = INIT_ONCE_STATIC_INIT;
    HWND relay;
    if (!InitOnceExecuteOnce(&class_once, register_relay_class, NULL, NULL)) return NULL;
    relay = CreateWindowExW(0, relay_class, NULL, 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, module_instance, NULL);
    if (relay) SetWindowLongPtrW(relay, GWLP_USERDATA, (LONG_PTR)notifier);
    return relay;
}

static void destroy_relay(HWND relay)
{
    if (!relay) return;
    /* A window can only be destroyed by its own thread; elsewhere, cut it off
     * from the notifier and let its thread close it. */
    SetWindowLongPtrW(relay, GWLP_USERDATA, 0);
    if (GetWindowThreadProcessId(relay, NULL) == GetCurrentThreadId()) DestroyWindow(relay);
    else PostMessageW(relay, WM_CLOSE, 0, 0);
}

/* Drops the current target; called with the lock held. */
static void clear_target(struct notifier *notifier)
{
    if (notifier->sink) ISpNotifySink_Release(notifier->sink);
    if (notifier->event) CloseHandle(notifier->event);
    destroy_relay(notifier->relay);
    notifier->kind = NOTIFY_NONE;
    notifier->sink = NULL;
    notifier->window = NULL;
    notifier->message = 0;
    notifier->function = NULL;
    notifier->callback = NULL;
    notifier->wparam = 0;
    notifier->lparam = 0;
    notifier->event = NULL;
    notifier->relay = NULL;
    notifier->relay_pending = 0;
}

void notifier_init(struct notifier *notifier)
{
    ZeroMemory(notifier, sizeof(*notifier));
    InitializeCriticalSection(&notifier->lock);
}

void notifier_destroy(struct notifier *notifier)
{
    EnterCriticalSection(&notifier->lock);
    clear_target(notifier);
    LeaveCriticalSection(&notifier->lock);
    DeleteCriticalSection(&notifier->lock);
}

HRESULT notifier_set_sink(struct notifier *notifier, ISpNotifySink *sink)
{
    EnterCriticalSection(&notifier->lock);
    clear_target(notifier);
    if (sink)
    {
        ISpNotifySink_AddRef(sink);
        notifier->sink = sink;
        notifier->kind = NOTIFY_SINK;
    }
    LeaveCriticalSection(&notifier->lock);
    return S_OK;
}

HRESULT notifier_set_window_message(struct notifier *notifier, HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (!IsWindow(window)) return E_INVALIDARG;
    EnterCriticalSection(&notifier->lock);
    clear_target(notifier);
    notifier->kind = NOTIFY_WINDOW_MESSAGE;
    notifier->window = window;
    notifier->message = message;
    notifier->wparam = wparam;
    notifier->lparam = lparam;
    LeaveCriticalSection(&notifier->lock);
    return S_OK;
}

static HRESULT set_relayed(struct notifier *notifier, enum notifier_kind kind, SPNOTIFYCALLBACK *function,
                           ISpNotifyCallback *callback, WPARAM wparam, LPARAM lparam)
{
    HWND relay = NULL;
    if (kind != NOTIFY_NONE && !(relay = create_relay(notifier))) return HRESULT_FROM_WIN32(GetLastError());
    EnterCriticalSection(&notifier->lock);
    clear_target(notifier);
    notifier->kind = kind;
    notifier->function = function;
    notifier->callback = callback;
    notifier->wparam = wparam;
    notifier->lparam = lparam;
    notifier->relay = relay;
    LeaveCriticalSection(&notifier->lock);
    return S_OK;
}

HRESULT notifier_set_callback_function(struct notifier *notifier, SPNOTIFYCALLBACK *function, WPARAM wparam, LPARAM lparam)
{
    return set_relayed(notifier, function ? NOTIFY_CALLBACK_FUNCTION : NOTIFY_NONE, function, NULL, wparam, lparam);
}

HRESULT notifier_set_callback_interface(struct notifier *notifier, ISpNotifyCallback *callback, WPARAM wparam, LPARAM lparam)
{
    /* ISpNotifyCallback is not a COM interface: it is not reference counted. */
    return set_relayed(notifier, callback ? NOTIFY_CALLBACK_INTERFACE : NOTIFY_NONE, NULL, callback, wparam, lparam);
}

HRESULT notifier_set_win32_event(struct notifier *notifier)
{
    HANDLE event = CreateEventW(NULL, FALSE, FALSE, NULL);
    if (!event) return HRESULT_FROM_WIN32(GetLastError());
    EnterCriticalSection(&notifier->lock);
    clear_target(notifier);
    notifier->kind = NOTIFY_WIN32_EVENT;
    notifier->event = event;
    LeaveCriticalSection(&notifier->lock);
    return S_OK;
}

HRESULT notifier_wait(struct notifier *notifier, DWORD milliseconds)
{
    HANDLE event = notifier_event_handle(notifier);
    if (!event) return SPERR_UNINITIALIZED;
    return WaitForSingleObject(event, milliseconds) == WAIT_OBJECT_0 ? S_OK : S_FALSE;
}

HANDLE notifier_event_handle(struct notifier *notifier)
{
    HANDLE event;
    EnterCriticalSection(&notifier->lock);
    event = notifier->event;
    LeaveCriticalSection(&notifier->lock);
    return event;
}

void notifier_notify(struct notifier *notifier)
{
    EnterCriticalSection(&notifier->lock);
    switch (notifier->kind)
    {
    case NOTIFY_SINK:
        ISpNotifySink_Notify(notifier->sink);
        break;
    case NOTIFY_WINDOW_MESSAGE:
        PostMessageW(notifier->window, notifier->message, notifier->wparam, notifier->lparam);
        break;
    case NOTIFY_CALLBACK_FUNCTION:
    case NOTIFY_CALLBACK_INTERFACE:
        /* One relay message at a time: the client drains every waiting event
         * on each call. */
        if (!InterlockedExchange(&notifier->relay_pending, 1))
            PostMessageW(notifier->relay, RELAY_MESSAGE, 0, 0);
        break;
    case NOTIFY_WIN32_EVENT:
        SetEvent(notifier->event);
        break;
    case NOTIFY_NONE:
        break;
    }
    LeaveCriticalSection(&notifier->lock);
}
