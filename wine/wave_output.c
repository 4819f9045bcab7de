#include "wave_output.h"

#include <stdlib.h>
#include <string.h>

struct wave_block
{
    WAVEHDR header;
    struct wave_block *next;
    short samples[];
};

static HRESULT hresult_from_mm(MMRESULT result)
{
    if (result == MMSYSERR_NOERROR) return S_OK;
    if (result == MMSYSERR_NOMEM) return E_OUTOFMEMORY;
    if (result == MMSYSERR_ALLOCATED) return HRESULT_FROM_WIN32(ERROR_BUSY);
    return E_FAIL;
}

HRESULT wave_output_open(struct wave_output *out, int sample_rate)
{
    WAVEFORMATEX format = { 0 };
    MMRESULT result;

    memset(out, 0, sizeof(*out));
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 1;
    format.nSamplesPerSec = sample_rate;
    format.wBitsPerSample = 16;
    format.nBlockAlign = 2;
    format.nAvgBytesPerSec = sample_rate * 2;

    out->block_done = CreateEventW(NULL, FALSE, FALSE, NULL);
    if (!out->block_done) return HRESULT_FROM_WIN32(GetLastError());
    result = waveOutOpen(&out->device, WAVE_MAPPER, &format, (DWORD_PTR)out->block_done, 0, CALLBACK_EVENT);
    if (result != MMSYSERR_NOERROR)
    {
        CloseHandle(out->block_done);
        memset(out, 0, sizeof(*out));
        return hresult_from_mm(result);
    }
    out->sample_rate = sample_rate;
    return S_OK;
}

HRESULT wave_output_write(struct wave_output *out, const short *samples, int count, int gain_percent)
{
    struct wave_block *block = malloc(sizeof(*block) + count * sizeof(short));
    MMRESULT result;
    int i;

    if (!block) return E_OUTOFMEMORY;
    if (gain_percent == 100) memcpy(block->samples, samples, count * sizeof(short));
    else for (i = 0; i < count; i++) block->samples[i] = (short)(samples[i] * gain_percent / 100);

    memset(&block->header, 0, sizeof(block->header));
    block->header.lpData = (char *)block->samples;
    block->header.dwBufferLength = count * sizeof(short);
    block->next = NULL;
    result = waveOutPrepareHeader(out->device, &block->header, sizeof(block->header));
    if (result == MMSYSERR_NOERROR)
    {
        result = waveOutWrite(out->device, &block->header, sizeof(block->header));
        if (result != MMSYSERR_NOERROR)
            waveOutUnprepareHeader(out->device, &block->header, sizeof(block->header));
    }
    if (result != MMSYSERR_NOERROR)
    {
        free(block);
        return hresult_from_mm(result);
    }
    if (out->last) out->last->next = block;
    else out->first = block;
    out->last = block;
    out->queued++;
    return S_OK;
}

void wave_output_reap(struct wave_output *out)
{
    while (out->first && (out->first->header.dwFlags & WHDR_DONE))
    {
        struct wave_block *done = out->first;
        out->first = done->next;
        if (!out->first) out->last = NULL;
        out->queued--;
        waveOutUnprepareHeader(out->device, &done->header, sizeof(done->header));
        free(done);
    }
}

BOOL wave_output_drained(const struct wave_output *out)
{
    return !out->first;
}

void wave_output_pause(struct wave_output *out)
{
    waveOutPause(out->device);
}

void wave_output_restart(struct wave_output *out)
{
    waveOutRestart(out->device);
}

void wave_output_discard(struct wave_output *out)
{
    /* Reset marks every queued block done and returns them. */
    waveOutReset(out->device);
    wave_output_reap(out);
}

void wave_output_close(struct wave_output *out)
{
    if (!out->device) return;
    wave_output_discard(out);
    waveOutClose(out->device);
    CloseHandle(out->block_done);
    memset(out, 0, sizeof(*out));
}
