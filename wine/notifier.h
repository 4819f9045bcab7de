/* The ways an event source tells its client that events are waiting
 * (ISpNotifySource).  Callbacks run on the thread that registered them: a
 * hidden window of that thread relays the notification through its message
 * queue, as the client expects. */
#ifndef NOTIFIER_H
#define NOTIFIER_H

#include <windows.h>
#include <sapi.h>

enum notifier_kind
{
    NOTIFY_NONE,
    NOTIFY_SINK,
    NOTIFY_WINDOW_MESSAGE,
    NOTIFY_CALLBACK_FUNCTION,
    NOTIFY_CALLBACK_INTERFACE,
    NOTIFY_WIN32_EVENT,
};

struct notifier
{
    CRITICAL_SECTION lock;
    enum notifier_kind kind;
    ISpNotifySink *sink;
    HWND window;              /* the client's, for NOTIFY_WINDOW_MESSAGE */
    UINT message;
    SPNOTIFYCALLBACK *function;
    ISpNotifyCallback *callback;
    WPARAM wparam;
    LPARAM lparam;
    HANDLE event;
    HWND relay;               /* ours, on the registering thread */
    LONG relay_pending;
};

void notifier_init(struct notifier *notifier);
void notifier_destroy(struct notifier *notifier);

HRESULT notifier_set_sink(struct notifier *notifier, ISpNotifySink *sink);
HRESULT notifier_set_window_message(struct notifier *notifier, HWND window, UINT message, WPARAM wparam, LPARAM lparam);
HRESULT notifier_set_callback_function(struct notifier *notifier, SPNOTIFYCALLBACK *function, WPARAM wparam, LPARAM lparam);
HRESULT notifier_set_callback_interface(struct notifier *notifier, ISpNotifyCallback *callback, WPARAM wparam, LPARAM lparam);
HRESULT notifier_set_win32_event(struct notifier *notifier);
HRESULT notifier_wait(struct notifier *notifier, DWORD milliseconds);
HANDLE notifier_event_handle(struct notifier *notifier);

/* Callable from any thread. */
void notifier_notify(struct notifier *notifier);

#endif
