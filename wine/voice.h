/* SpVoice: speaks through espeak-ng.  Speak queues a request and returns; a
 * worker thread per voice raises the stream events, has each request rendered
 * by espeak-ng and plays it, one request after another (voice_worker.c). */
#ifndef VOICE_H
#define VOICE_H

#include <windows.h>
#include <sapi.h>
#include "event_queue.h"
#include "speak_request.h"
#include "wave_output.h"

struct voice
{
    ISpVoice ISpVoice_iface;
    LONG refs;
    struct event_queue events;

    /* Guards the fields below, which the worker shares. */
    CRITICAL_SECTION lock;
    ISpObjectToken *token;        /* NULL: the default voice */
    char espeak_voice[64];
    LONG rate;
    USHORT volume;                /* read by the worker for every block */
    ULONG sync_timeout;
    SPVPRIORITY priority;
    SPEVENTENUM alert_boundary;

    struct speak_request *queue_first, *queue_last;
    ULONG last_stream_queued;
    ULONG current_stream;         /* 0 while nothing is being spoken */
    HRESULT last_result;
    LONG purge_generation;        /* bumped to abandon what is being spoken */
    UINT pause_count;
    struct wave_output *output;   /* the worker's, while the device is open */
    int renderer_pid;             /* the renderer at work, 0 if none */
    BOOL quit;

    HANDLE wake;                  /* auto-reset: a request, a purge or quit */
    HANDLE idle;                  /* manual-reset: nothing queued or playing */
    HANDLE worker;
};

HRESULT voice_class_create(IUnknown *outer, REFIID riid, void **out);

/* voice_worker.c */
DWORD WINAPI voice_worker_main(void *voice);

#endif
