#include "voice.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>
#include <sperror.h>
#include "espeak_renderer.h"
#include "object_token.h"
#include "token_category.h"
#include "wide_text.h"

/* espeak-ng's own default speed, and the range it speaks well. */
enum { NORMAL_WORDS_PER_MINUTE = 175, SLOWEST_WORDS_PER_MINUTE = 80, FASTEST_WORDS_PER_MINUTE = 450 };
/* Used when no voice token names an espeak-ng voice. */
static const char fallback_espeak_voice[] = "en";
/* How long a purge waits for the worker to let go of the device. */
enum { PURGE_TIMEOUT_MS = 5000 };

static struct voice *impl_from_ISpVoice(ISpVoice *iface)
{
    return CONTAINING_RECORD(iface, struct voice, ISpVoice_iface);
}

/* SAPI's rate runs from -10 to 10; each 10 steps triple or third the speed. */
static int words_per_minute(LONG rate)
{
    int speed = (int)lround(NORMAL_WORDS_PER_MINUTE * pow(3.0, rate / 10.0));
    return max(SLOWEST_WORDS_PER_MINUTE, min(FASTEST_WORDS_PER_MINUTE, speed));
}

/* The espeak-ng voice a token names in its EspeakVoice value. */
static HRESULT espeak_voice_of_token(ISpObjectToken *token, char *name, size_t capacity)
{
    WCHAR *value;
    HRESULT hr = ISpObjectToken_GetStringValue(token, L"EspeakVoice", &value);
    if (FAILED(hr)) return hr;
    if (!value[0] || !WideCharToMultiByte(CP_UTF8, 0, value, -1, name, capacity, NULL, NULL))
        hr = SPERR_NOT_FOUND;
    CoTaskMemFree(value);
    return hr;
}

static HRESULT open_default_token(ISpObjectToken **token)
{
    WCHAR *id;
    HRESULT hr = token_category_default_token_id(VOICES_CATEGORY_ID, &id);
    if (FAILED(hr)) return hr;
    hr = object_token_open(id, token);
    free(id);
    return hr;
}

static void default_espeak_voice(char *name, size_t capacity)
{
    ISpObjectToken *token;
    if (SUCCEEDED(open_default_token(&token)))
    {
        HRESULT hr = espeak_voice_of_token(token, name, capacity);
        ISpObjectToken_Release(token);
        if (SUCCEEDED(hr)) return;
    }
    lstrcpynA(name, fallback_espeak_voice, capacity);
}

static void free_queue_locked(struct voice *voice)
{
    while (voice->queue_first)
    {
        struct speak_request *request = voice->queue_first;
        voice->queue_first = request->next;
        speak_request_free(request);
    }
    voice->queue_last = NULL;
}

static void purge(struct voice *voice)
{
    EnterCriticalSection(&voice->lock);
    free_queue_locked(voice);
    InterlockedIncrement(&voice->purge_generation);
    renderer_cancel(voice->renderer_pid);
    LeaveCriticalSection(&voice->lock);
    if (!voice->worker) return;
    SetEvent(voice->wake);
    WaitForSingleObject(voice->idle, PURGE_TIMEOUT_MS);
}

static HRESULT start_worker_locked(struct voice *voice)
{
    if (voice->worker) return S_OK;
    voice->worker = CreateThread(NULL, 0, voice_worker_main, voice, 0, NULL);
    return voice->worker ? S_OK : HRESULT_FROM_WIN32(GetLastError());
}

static HRESULT STDMETHODCALLTYPE voice_QueryInterface(ISpVoice *iface, REFIID riid, void **out)
{
    if (!out) return E_POINTER;
    if (IsEqualIID(riid, &IID_IUnknown) || IsEqualIID(riid, &IID_ISpNotifySource)
        || IsEqualIID(riid, &IID_ISpEventSource) || IsEqualIID(riid, &IID_ISpVoice))
    {
        ISpVoice_AddRef(iface);
        *out = iface;
        return S_OK;
    }
    *out = NULL;
    return E_NOINTERFACE;
}

static ULONG STDMETHODCALLTYPE voice_AddRef(ISpVoice *iface)
{
    return InterlockedIncrement(&impl_from_ISpVoice(iface)->refs);
}

static void voice_destroy(struct voice *voice)
{
    EnterCriticalSection(&voice->lock);
    voice->quit = TRUE;
    free_queue_locked(voice);
    InterlockedIncrement(&voice->purge_generation);
    renderer_cancel(voice->renderer_pid);
    LeaveCriticalSection(&voice->lock);
    if (voice->worker)
    {
        SetEvent(voice->wake);
        WaitForSingleObject(voice->worker, INFINITE);
        CloseHandle(voice->worker);
    }
    if (voice->token) ISpObjectToken_Release(voice->token);
    event_queue_destroy(&voice->events);
    CloseHandle(voice->wake);
    CloseHandle(voice->idle);
    DeleteCriticalSection(&voice->lock);
    free(voice);
}

static ULONG STDMETHODCALLTYPE voice_Release(ISpVoice *iface)
{
    struct voice *voice = impl_from_ISpVoice(iface);
    ULONG refs = InterlockedDecrement(&voice->refs);
    if (!refs) voice_destroy(voice);
    return refs;
}

static HRESULT STDMETHODCALLTYPE voice_SetNotifySink(ISpVoice *iface, ISpNotifySink *sink)
{
    return notifier_set_sink(&impl_from_ISpVoice(iface)->events.notifier, sink);
}

static HRESULT STDMETHODCALLTYPE voice_SetNotifyWindowMessage(ISpVoice *iface, HWND window, UINT message,
                                                              WPARAM wparam, LPARAM lparam)
{
    return notifier_set_window_message(&impl_from_ISpVoice(iface)->events.notifier, window, message, wparam, lparam);
}

static HRESULT STDMETHODCALLTYPE voice_SetNotifyCallbackFunction(ISpVoice *iface, SPNOTIFYCALLBACK *function,
                                                                 WPARAM wparam, LPARAM lparam)
{
    return notifier_set_callback_function(&impl_from_ISpVoice(iface)->events.notifier, function, wparam, lparam);
}

static HRESULT STDMETHODCALLTYPE voice_SetNotifyCallbackInterface(ISpVoice *iface, ISpNotifyCallback *callback,
                                                                  WPARAM wparam, LPARAM lparam)
{
    return notifier_set_callback_interface(&impl_from_ISpVoice(iface)->events.notifier, callback, wparam, lparam);
}

static HRESULT STDMETHODCALLTYPE voice_SetNotifyWin32Event(ISpVoice *iface)
{
    return notifier_set_win32_event(&impl_from_ISpVoice(iface)->events.notifier);
}

static HRESULT STDMETHODCALLTYPE voice_WaitForNotifyEvent(ISpVoice *iface, DWORD milliseconds)
{
    return notifier_wait(&impl_from_ISpVoice(iface)->events.notifier, milliseconds);
}

static HANDLE STDMETHODCALLTYPE voice_GetNotifyEventHandle(ISpVoice *iface)
{
    return notifier_event_handle(&impl_from_ISpVoice(iface)->events.notifier);
}

static HRESULT STDMETHODCALLTYPE voice_SetInterest(ISpVoice *iface, ULONGLONG notify_interest, ULONGLONG queued_interest)
{
    return event_queue_set_interest(&impl_from_ISpVoice(iface)->events, notify_interest, queued_interest);
}

static HRESULT STDMETHODCALLTYPE voice_GetEvents(ISpVoice *iface, ULONG count, SPEVENT *events, ULONG *fetched)
{
    return event_queue_get(&impl_from_ISpVoice(iface)->events, count, events, fetched);
}

static HRESULT STDMETHODCALLTYPE voice_GetInfo(ISpVoice *iface, SPEVENTSOURCEINFO *info)
{
    return event_queue_info(&impl_from_ISpVoice(iface)->events, info);
}

static HRESULT STDMETHODCALLTYPE voice_SetOutput(ISpVoice *iface, IUnknown *output, BOOL allow_format_changes)
{
    /* Only the system's default audio output is offered. */
    return output ? E_NOTIMPL : S_OK;
}

static HRESULT STDMETHODCALLTYPE voice_GetOutputObjectToken(ISpVoice *iface, ISpObjectToken **token)
{
    return E_NOTIMPL;
}

static HRESULT STDMETHODCALLTYPE voice_GetOutputStream(ISpVoice *iface, ISpStreamFormat **stream)
{
    return E_NOTIMPL;
}

static HRESULT STDMETHODCALLTYPE voice_Pause(ISpVoice *iface)
{
    struct voice *voice = impl_from_ISpVoice(iface);
    EnterCriticalSection(&voice->lock);
    if (voice->pause_count++ == 0 && voice->output) wave_output_pause(voice->output);
    LeaveCriticalSection(&voice->lock);
    return S_OK;
}

static HRESULT STDMETHODCALLTYPE voice_Resume(ISpVoice *iface)
{
    struct voice *voice = impl_from_ISpVoice(iface);
    EnterCriticalSection(&voice->lock);
    if (voice->pause_count && --voice->pause_count == 0 && voice->output) wave_output_restart(voice->output);
    LeaveCriticalSection(&voice->lock);
    return S_OK;
}

static HRESULT STDMETHODCALLTYPE voice_SetVoice(ISpVoice *iface, ISpObjectToken *token)
{
    struct voice *voice = impl_from_ISpVoice(iface);
    char name[64];
    ISpObjectToken *old;

    if (token)
    {
        HRESULT hr = espeak_voice_of_token(token, name, sizeof(name));
        if (FAILED(hr)) return hr;
        ISpObjectToken_AddRef(token);
    }
    else default_espeak_voice(name, sizeof(name));

    EnterCriticalSection(&voice->lock);
    old = voice->token;
    voice->token = token;
    lstrcpynA(voice->espeak_voice, name, sizeof(voice->espeak_voice));
    LeaveCriticalSection(&voice->lock);
    if (old) ISpObjectToken_Release(old);
    return S_OK;
}

static HRESULT STDMETHODCALLTYPE voice_GetVoice(ISpVoice *iface, ISpObjectToken **token)
{
    struct voice *voice = impl_from_ISpVoice(iface);
    if (!token) return E_POINTER;
    EnterCriticalSection(&voice->lock);
    *token = voice->token;
    if (*token) ISpObjectToken_AddRef(*token);
    LeaveCriticalSection(&voice->lock);
    return *token ? S_OK : open_default_token(token);
}

static HRESULT STDMETHODCALLTYPE voice_Speak(ISpVoice *iface, const WCHAR *text, DWORD flags, ULONG *stream)
{
    struct voice *voice = impl_from_ISpVoice(iface);
    struct speak_request *request;
    HRESULT hr;

    if (stream) *stream = 0;
    if (flags & SPF_UNUSED_FLAGS) return E_INVALIDARG;
    if (flags & SPF_PURGEBEFORESPEAK) purge(voice);
    if (!text) return (flags & SPF_PURGEBEFORESPEAK) ? S_OK : E_INVALIDARG;

    hr = speak_request_create(text, flags, &request);
    if (FAILED(hr)) return hr;

    EnterCriticalSection(&voice->lock);
    hr = start_worker_locked(voice);
    if (SUCCEEDED(hr))
    {
        lstrcpynA(request->voice, voice->espeak_voice, sizeof(request->voice));
        request->words_per_minute = words_per_minute(voice->rate);
        request->stream = ++voice->last_stream_queued;
        if (voice->queue_last) voice->queue_last->next = request;
        else voice->queue_first = request;
        voice->queue_last = request;
        ResetEvent(voice->idle);
        if (stream) *stream = request->stream;
    }
    LeaveCriticalSection(&voice->lock);
    if (FAILED(hr))
    {
        speak_request_free(request);
        return hr;
    }
    SetEvent(voice->wake);

    if (!(flags & SPF_ASYNC)) WaitForSingleObject(voice->idle, INFINITE);
    return S_OK;
}

static HRESULT STDMETHODCALLTYPE voice_SpeakStream(ISpVoice *iface, IStream *source, DWORD flags, ULONG *stream)
{
    return E_NOTIMPL;
}

static HRESULT STDMETHODCALLTYPE voice_GetStatus(ISpVoice *iface, SPVOICESTATUS *status, WCHAR **bookmark)
{
    struct voice *voice = impl_from_ISpVoice(iface);
    if (!status) return E_POINTER;
    memset(status, 0, sizeof(*status));
    EnterCriticalSection(&voice->lock);
    status->ulCurrentStream = voice->current_stream;
    status->ulLastStreamQueued = voice->last_stream_queued;
    status->hrLastResult = voice->last_result;
    status->dwRunningState = (voice->current_stream || voice->queue_first) ? SPRS_IS_SPEAKING : SPRS_DONE;
    LeaveCriticalSection(&voice->lock);
    if (bookmark) return wide_dup_for_caller(L"", bookmark);
    return S_OK;
}

static HRESULT STDMETHODCALLTYPE voice_Skip(ISpVoice *iface, const WCHAR *type, LONG items, ULONG *skipped)
{
    return E_NOTIMPL;
}

static HRESULT STDMETHODCALLTYPE voice_SetPriority(ISpVoice *iface, SPVPRIORITY priority)
{
    struct voice *voice = impl_from_ISpVoice(iface);
    if (priority != SPVPRI_NORMAL && priority != SPVPRI_ALERT && priority != SPVPRI_OVER) return E_INVALIDARG;
    voice->priority = priority;
    return S_OK;
}

static HRESULT STDMETHODCALLTYPE voice_GetPriority(ISpVoice *iface, SPVPRIORITY *priority)
{
    if (!priority) return E_POINTER;
    *priority = impl_from_ISpVoice(iface)->priority;
    return S_OK;
}

static HRESULT STDMETHODCALLTYPE voice_SetAlertBoundary(ISpVoice *iface, SPEVENTENUM boundary)
{
    impl_from_ISpVoice(iface)->alert_boundary = boundary;
    return S_OK;
}

static HRESULT STDMETHODCALLTYPE voice_GetAlertBoundary(ISpVoice *iface, SPEVENTENUM *boundary)
{
    if (!boundary) return E_POINTER;
    *boundary = impl_from_ISpVoice(iface)->alert_boundary;
    return S_OK;
}

static HRESULT STDMETHODCALLTYPE voice_SetRate(ISpVoice *iface, LONG rate)
{
    struct voice *voice = impl_from_ISpVoice(iface);
    if (rate < -10 || rate > 10) return E_INVALIDARG;
    EnterCriticalSection(&voice->lock);
    voice->rate = rate;
    LeaveCriticalSection(&voice->lock);
    return S_OK;
}

static HRESULT STDMETHODCALLTYPE voice_GetRate(ISpVoice *iface, LONG *rate)
{
    if (!rate) return E_POINTER;
    *rate = impl_from_ISpVoice(iface)->rate;
    return S_OK;
}

static HRESULT STDMETHODCALLTYPE voice_SetVolume(ISpVoice *iface, USHORT volume)
{
    if (volume > 100) return E_INVALIDARG;
    impl_from_ISpVoice(iface)->volume = volume;
    return S_OK;
}

static HRESULT STDMETHODCALLTYPE voice_GetVolume(ISpVoice *iface, USHORT *volume)
{
    if (!volume) return E_POINTER;
    *volume = impl_from_ISpVoice(iface)->volume;
    return S_OK;
}

static HRESULT STDMETHODCALLTYPE voice_WaitUntilDone(ISpVoice *iface, ULONG milliseconds)
{
    struct voice *voice = impl_from_ISpVoice(iface);
    return WaitForSingleObject(voice->idle, milliseconds) == WAIT_OBJECT_0 ? S_OK : S_FALSE;
}

static HRESULT STDMETHODCALLTYPE voice_SetSyncSpeakTimeout(ISpVoice *iface, ULONG milliseconds)
{
    impl_from_ISpVoice(iface)->sync_timeout = milliseconds;
    return S_OK;
}

static HRESULT STDMETHODCALLTYPE voice_GetSyncSpeakTimeout(ISpVoice *iface, ULONG *milliseconds)
{
    if (!milliseconds) return E_POINTER;
    *milliseconds = impl_from_ISpVoice(iface)->sync_timeout;
    return S_OK;
}

static HANDLE STDMETHODCALLTYPE voice_SpeakCompleteEvent(ISpVoice *iface)
{
    return impl_from_ISpVoice(iface)->idle;
}

static HRESULT STDMETHODCALLTYPE voice_IsUISupported(ISpVoice *iface, const WCHAR *type, void *extra,
                                                     ULONG extra_size, BOOL *supported)
{
    if (!supported) return E_POINTER;
    *supported = FALSE;
    return S_OK;
}

static HRESULT STDMETHODCALLTYPE voice_DisplayUI(ISpVoice *iface, HWND parent, const WCHAR *title,
                                                 const WCHAR *type, void *extra, ULONG extra_size)
{
    return E_NOTIMPL;
}

static const ISpVoiceVtbl voice_vtbl = {
    voice_QueryInterface, voice_AddRef, voice_Release,
    voice_SetNotifySink, voice_SetNotifyWindowMessage, voice_SetNotifyCallbackFunction,
    voice_SetNotifyCallbackInterface, voice_SetNotifyWin32Event, voice_WaitForNotifyEvent,
    voice_GetNotifyEventHandle,
    voice_SetInterest, voice_GetEvents, voice_GetInfo,
    voice_SetOutput, voice_GetOutputObjectToken, voice_GetOutputStream, voice_Pause, voice_Resume,
    voice_SetVoice, voice_GetVoice, voice_Speak, voice_SpeakStream, voice_GetStatus, voice_Skip,
    voice_SetPriority, voice_GetPriority, voice_SetAlertBoundary, voice_GetAlertBoundary,
    voice_SetRate, voice_GetRate, voice_SetVolume, voice_GetVolume, voice_WaitUntilDone,
    voice_SetSyncSpeakTimeout, voice_GetSyncSpeakTimeout, voice_SpeakCompleteEvent,
    voice_IsUISupported, voice_DisplayUI,
};

HRESULT voice_class_create(IUnknown *outer, REFIID riid, void **out)
{
    struct voice *voice;
    HRESULT hr;

    if (outer) return CLASS_E_NOAGGREGATION;
    if (!(voice = calloc(1, sizeof(*voice)))) return E_OUTOFMEMORY;
    voice->ISpVoice_iface.lpVtbl = &voice_vtbl;
    voice->refs = 1;
    event_queue_init(&voice->events);
    InitializeCriticalSection(&voice->lock);
    voice->volume = 100;
    voice->sync_timeout = 10000;
    voice->priority = SPVPRI_NORMAL;
    voice->alert_boundary = SPEI_WORD_BOUNDARY;
    voice->wake = CreateEventW(NULL, FALSE, FALSE, NULL);
    voice->idle = CreateEventW(NULL, TRUE, TRUE, NULL);
    default_espeak_voice(voice->espeak_voice, sizeof(voice->espeak_voice));

    if (!voice->wake || !voice->idle) hr = HRESULT_FROM_WIN32(GetLastError());
    else hr = voice_QueryInterface(&voice->ISpVoice_iface, riid, out);
    voice_Release(&voice->ISpVoice_iface);
    return hr;
}
