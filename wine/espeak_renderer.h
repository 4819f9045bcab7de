/* Runs the espeak-ng renderer (render/espeak_render.c) for one text and
 * reads its samples: one fresh process per text, so every text sounds exactly
 * as espeak-ng renders it on its own.  Plain Unix code: no Windows header
 * here, their socket declarations clash with the C library's. */
#ifndef ESPEAK_RENDERER_H
#define ESPEAK_RENDERER_H

struct render_request
{
    const char *voice;  /* espeak-ng voice name, e.g. "cmn" */
    int words_per_minute;
    const char *utf8_text;
    int ssml;
};

struct renderer
{
    int pid;
    int output;  /* read end of the renderer's standard output */
};

/* Starts the renderer and hands it the text; 0 on success, -1 when it cannot run. */
int renderer_start(const struct render_request *request, struct renderer *renderer);
/* Blocks until the voice is loaded and answers its sample rate; -1 when the
 * renderer knows no such voice or failed. */
int renderer_sample_rate(struct renderer *renderer);
/* Blocks until samples come; answers their count, 0 at the end of the text,
 * -1 on error. */
int renderer_read(struct renderer *renderer, short *samples, int capacity);
/* Ends a renderer at once; callable from any thread. */
void renderer_cancel(int pid);
void renderer_finish(struct renderer *renderer);

#endif
