/* 16-bit mono PCM to the system's default audio output through winmm.  The
 * owner queues blocks, reaps the finished ones and keeps the queue short. */
#ifndef WAVE_OUTPUT_H
#define WAVE_OUTPUT_H

#include <windows.h>
#include <mmsystem.h>

struct wave_block;

struct wave_output
{
    HWAVEOUT device;
    int sample_rate;
    HANDLE block_done;  /* signalled by winmm whenever a block has been played */
    struct wave_block *first, *last;
    int queued;         /* blocks written and not yet reaped */
};

HRESULT wave_output_open(struct wave_output *out, int sample_rate);
/* Copies the samples, scaled by gain_percent (100 leaves them untouched). */
HRESULT wave_output_write(struct wave_output *out, const short *samples, int count, int gain_percent);
void wave_output_reap(struct wave_output *out);
BOOL wave_output_drained(const struct wave_output *out);
void wave_output_pause(struct wave_output *out);
void wave_output_restart(struct wave_output *out);
/* Drops everything queued, at once. */
void wave_output_discard(struct wave_output *out);
void wave_output_close(struct wave_output *out);

#endif
