#include "event_queue.h"

#include <stdlib.h>
#include <string.h>

void event_queue_init(struct event_queue *queue)
{
    memset(queue, 0, sizeof(*queue));
    InitializeCriticalSection(&queue->lock);
    notifier_init(&queue->notifier);
}

void event_queue_destroy(struct event_queue *queue)
{
    notifier_destroy(&queue->notifier);
    free(queue->events);
    DeleteCriticalSection(&queue->lock);
}

HRESULT event_queue_set_interest(struct event_queue *queue, ULONGLONG notify_interest, ULONGLONG queued_interest)
{
    if (notify_interest && (notify_interest & EVENT_FLAG_CHECK) != EVENT_FLAG_CHECK) return E_INVALIDARG;
    if (queued_interest & ~notify_interest) return E_INVALIDARG;
    EnterCriticalSection(&queue->lock);
    queue->notify_interest = notify_interest;
    queue->queued_interest = queued_interest;
    LeaveCriticalSection(&queue->lock);
    return S_OK;
}

HRESULT event_queue_get(struct event_queue *queue, ULONG count, SPEVENT *events, ULONG *fetched)
{
    ULONG taken;
    if (!events) return E_POINTER;
    if (count > 1 && !fetched) return E_POINTER;
    EnterCriticalSection(&queue->lock);
    taken = min(count, queue->count);
    memcpy(events, queue->events, taken * sizeof(*events));
    memmove(queue->events, queue->events + taken, (queue->count - taken) * sizeof(*events));
    queue->count -= taken;
    LeaveCriticalSection(&queue->lock);
    if (fetched) *fetched = taken;
    return taken == count ? S_OK : S_FALSE;
}

HRESULT event_queue_info(struct event_queue *queue, SPEVENTSOURCEINFO *info)
{
    if (!info) return E_POINTER;
    EnterCriticalSection(&queue->lock);
    info->ullEventInterest = queue->notify_interest;
    info->ullQueuedInterest = queue->queued_interest;
    info->ulCount = queue->count;
    LeaveCriticalSection(&queue->lock);
    return S_OK;
}

void event_queue_raise(struct event_queue *queue, SPEVENTENUM id, ULONG stream, ULONGLONG audio_offset)
{
    BOOL notify;
    EnterCriticalSection(&queue->lock);
    notify = (queue->notify_interest & EVENT_FLAG(id)) != 0;
    if (queue->queued_interest & EVENT_FLAG(id))
    {
        if (queue->count == queue->capacity)
        {
            ULONG capacity = queue->capacity ? queue->capacity * 2 : 16;
            SPEVENT *grown = realloc(queue->events, capacity * sizeof(*grown));
            if (grown)
            {
                queue->events = grown;
                queue->capacity = capacity;
            }
        }
        if (queue->count < queue->capacity)
        {
            SPEVENT *event = &queue->events[queue->count++];
            memset(event, 0, sizeof(*event));
            event->eEventId = id;
            event->elParamType = 0;  /* SPET_LPARAM_IS_UNDEFINED: stream events carry none */
            event->ulStreamNum = stream;
            event->ullAudioStreamOffset = audio_offset;
        }
    }
    LeaveCriticalSection(&queue->lock);
    if (notify) notifier_notify(&queue->notifier);
}
