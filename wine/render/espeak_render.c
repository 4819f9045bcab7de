/* Renders one text with espeak-ng for the Wine voice.
 *
 * The voice starts one of these per request rather than calling espeak-ng in
 * its own process: espeak-ng carries synthesis state from one text to the next
 * (pitch flutter, gain control) that its API cannot reset, so the same text
 * would sound a little different each time.  A fresh process renders every
 * text exactly as the espeak-ng command line does, and a purge can end it at
 * once.
 *
 * usage: vexlorin-espeak-render VOICE WORDS_PER_MINUTE [ssml] < UTF-8 text
 * output: the sample rate (int32, native byte order), written once the voice
 * is loaded, then 16-bit mono samples as they are synthesized.
 * exit status: 0 done, 1 usage, 2 espeak-ng unusable, 3 unknown voice. */
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>
#include <espeak-ng/speak_lib.h>

static char *read_all(FILE *input, size_t *length)
{
    size_t capacity = 4096, used = 0, got;
    char *text = malloc(capacity + 1);
    while (text && (got = fread(text + used, 1, capacity - used, input)) > 0)
    {
        used += got;
        if (used == capacity)
        {
            char *grown = realloc(text, capacity * 2 + 1);
            if (!grown) free(text);
            text = grown;
            capacity *= 2;
        }
    }
    if (text) text[used] = 0;
    *length = used;
    return text;
}

/* Answering 1 stops synthesis: the voice has gone away. */
static int on_samples(short *samples, int count, espeak_EVENT *events)
{
    (void)events;
    if (samples && count > 0)
    {
        if (fwrite(samples, sizeof(short), count, stdout) != (size_t)count || fflush(stdout)) return 1;
    }
    return 0;
}

int main(int argc, char **argv)
{
    size_t length;
    char *text;
    int32_t sample_rate;
    int ssml = argc > 3 && !strcmp(argv[3], "ssml");

    if (argc < 3) return 1;
    if (!(text = read_all(stdin, &length))) return 2;
    sample_rate = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, NULL, espeakINITIALIZE_DONT_EXIT);
    /* From here on, leave with _exit(): espeak-ng's idle threads must not
     * hold the process. */
    if (sample_rate <= 0) _exit(2);
    espeak_SetSynthCallback(on_samples);
    if (espeak_SetVoiceByName(argv[1]) != EE_OK) _exit(3);
    espeak_SetParameter(espeakRATE, atoi(argv[2]), 0);

    if (fwrite(&sample_rate, sizeof(sample_rate), 1, stdout) != 1 || fflush(stdout)) _exit(0);
    espeak_Synth(text, length + 1, 0, POS_CHARACTER, 0,
                 espeakCHARS_UTF8 | espeakENDPAUSE | (ssml ? espeakSSML : 0), NULL, NULL);
    fflush(stdout);
    _exit(0);
}
