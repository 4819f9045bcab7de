#include "voice.h"

#include "espeak_renderer.h"

/* Samples taken from the renderer at a time: 100 ms at espeak-ng's rate. */
enum { BLOCK_SAMPLES = 2205 };
/* Blocks queued on the device at most: two seconds, enough to ride out a
 * busy machine without a gap, while the renderer waits on its full pipe, so
 * that a text of any length takes little memory.  Pause and purge act on the
 * device itself and do not wait for the queue. */
enum { MOST_QUEUED_BLOCKS = 20 };

static BOOL purged(struct voice *voice, LONG generation)
{
    return InterlockedCompareExchange(&voice->purge_generation, 0, 0) != generation;
}

static HRESULT open_output(struct voice *voice, struct wave_output *output, int sample_rate)
{
    HRESULT hr = wave_output_open(output, sample_rate);
    if (FAILED(hr)) return hr;
    EnterCriticalSection(&voice->lock);
    voice->output = output;
    if (voice->pause_count) wave_output_pause(output);
    LeaveCriticalSection(&voice->lock);
    return S_OK;
}

static void close_output(struct voice *voice, struct wave_output *output)
{
    EnterCriticalSection(&voice->lock);
    voice->output = NULL;
    LeaveCriticalSection(&voice->lock);
    wave_output_close(output);
}

static void set_renderer(struct voice *voice, int pid)
{
    EnterCriticalSection(&voice->lock);
    voice->renderer_pid = pid;
    LeaveCriticalSection(&voice->lock);
}

/* Waits until the device has played a block, or the voice is woken. */
static void wait_for_device(struct voice *voice, struct wave_output *output)
{
    HANDLE wake_on[2] = { output->block_done, voice->wake };
    WaitForMultipleObjects(2, wake_on, FALSE, INFINITE);
    wave_output_reap(output);
}

/* Feeds the renderer's samples to the device as they come. */
static HRESULT play_rendered(struct voice *voice, struct renderer *renderer, struct wave_output *output,
                             LONG generation, ULONGLONG *bytes)
{
    short samples[BLOCK_SAMPLES];
    int count;
    HRESULT hr;

    while (!purged(voice, generation))
    {
        if (output->queued >= MOST_QUEUED_BLOCKS)
        {
            wait_for_device(voice, output);
            continue;
        }
        count = renderer_read(renderer, samples, BLOCK_SAMPLES);
        if (count <= 0) return count ? E_FAIL : S_OK;
        hr = wave_output_write(output, samples, count, voice->volume);
        if (FAILED(hr)) return hr;
        *bytes += count * sizeof(short);
    }
    return S_OK;
}

static void speak_one(struct voice *voice, const struct speak_request *request, struct wave_output *output,
                      LONG generation)
{
    struct render_request render_request = {
        request->voice, request->words_per_minute, request->utf8_text, request->ssml
    };
    struct renderer renderer;
    ULONGLONG bytes = 0;
    int sample_rate = 0;
    HRESULT hr = S_OK;

    event_queue_raise(&voice->events, SPEI_START_INPUT_STREAM, request->stream, 0);
    if (renderer_start(&render_request, &renderer)) hr = E_FAIL;
    set_renderer(voice, renderer.pid);
    /* A purge may have come before the renderer could be cancelled. */
    if (purged(voice, generation)) renderer_cancel(renderer.pid);
    if (SUCCEEDED(hr) && (sample_rate = renderer_sample_rate(&renderer)) <= 0) hr = E_FAIL;
    if (SUCCEEDED(hr))
    {
        if (output->device && output->sample_rate != sample_rate) close_output(voice, output);
        if (!output->device) hr = open_output(voice, output, sample_rate);
        if (SUCCEEDED(hr)) hr = play_rendered(voice, &renderer, output, generation, &bytes);
    }
    if (purged(voice, generation)) renderer_cancel(renderer.pid);
    set_renderer(voice, 0);
    renderer_finish(&renderer);

    /* The stream ends when its sound has been heard, or thrown away. */
    while (output->device && !purged(voice, generation) && !wave_output_drained(output))
        wait_for_device(voice, output);
    if (output->device && purged(voice, generation)) wave_output_discard(output);

    EnterCriticalSection(&voice->lock);
    /* A request cut short on purpose has not failed. */
    voice->last_result = purged(voice, generation) ? S_OK : hr;
    LeaveCriticalSection(&voice->lock);
    event_queue_raise(&voice->events, SPEI_END_INPUT_STREAM, request->stream, bytes);
}

DWORD WINAPI voice_worker_main(void *parameter)
{
    struct voice *voice = parameter;
    struct wave_output output = { 0 };

    for (;;)
    {
        struct speak_request *request;
        LONG generation;
        BOOL quit;

        EnterCriticalSection(&voice->lock);
        request = voice->queue_first;
        if (request)
        {
            voice->queue_first = request->next;
            if (!voice->queue_first) voice->queue_last = NULL;
            voice->current_stream = request->stream;
        }
        else voice->current_stream = 0;
        generation = voice->purge_generation;
        quit = voice->quit;
        LeaveCriticalSection(&voice->lock);

        if (request)
        {
            speak_one(voice, request, &output, generation);
            speak_request_free(request);
            continue;
        }

        /* Nothing left: give the device back, as between utterances nobody
         * else could use it otherwise. */
        if (output.device) close_output(voice, &output);
        EnterCriticalSection(&voice->lock);
        if (!voice->queue_first) SetEvent(voice->idle);
        LeaveCriticalSection(&voice->lock);
        if (quit) break;
        WaitForSingleObject(voice->wake, INFINITE);
    }
    return 0;
}
