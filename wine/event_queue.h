/* ISpEventSource: the events a voice raises, filtered by the client's
 * interest, queued for GetEvents and announced through the notifier. */
#ifndef EVENT_QUEUE_H
#define EVENT_QUEUE_H

#include <windows.h>
#include <sapi.h>
#include "notifier.h"

/* SAPI's reserved check bits: a valid interest mask carries both. */
#define EVENT_FLAG_CHECK ((1ull << SPEI_RESERVED1) | (1ull << SPEI_RESERVED2))
#define EVENT_FLAG(id) (1ull << (id))

struct event_queue
{
    CRITICAL_SECTION lock;
    ULONGLONG notify_interest;
    ULONGLONG queued_interest;
    SPEVENT *events;
    ULONG count;
    ULONG capacity;
    struct notifier notifier;
};

void event_queue_init(struct event_queue *queue);
void event_queue_destroy(struct event_queue *queue);

HRESULT event_queue_set_interest(struct event_queue *queue, ULONGLONG notify_interest, ULONGLONG queued_interest);
HRESULT event_queue_get(struct event_queue *queue, ULONG count, SPEVENT *events, ULONG *fetched);
HRESULT event_queue_info(struct event_queue *queue, SPEVENTSOURCEINFO *info);

/* Raises a stream event; callable from any thread. */
void event_queue_raise(struct event_queue *queue, SPEVENTENUM id, ULONG stream, ULONGLONG audio_offset);

#endif
