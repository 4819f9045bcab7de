#define _GNU_SOURCE
#include "espeak_renderer.h"

#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

static const char renderer_name[] = "vexlorin-espeak-render";

extern char **environ;

/* The renderer is installed next to this module. */
static int renderer_path(char *path, size_t capacity)
{
    Dl_info info;
    const char *slash;
    if (!dladdr((void *)renderer_path, &info) || !info.dli_fname) return 0;
    slash = strrchr(info.dli_fname, '/');
    if (!slash) return 0;
    return snprintf(path, capacity, "%.*s/%s", (int)(slash - info.dli_fname), info.dli_fname, renderer_name)
           < (int)capacity;
}

static int read_exactly(int fd, void *buffer, size_t size)
{
    char *at = buffer;
    while (size)
    {
        ssize_t got = read(fd, at, size);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return 0;
        at += got;
        size -= got;
    }
    return 1;
}

/* The text goes through a socket: send() can refuse a dead reader without
 * raising SIGPIPE in this process. */
static int send_all(int fd, const char *text, size_t size)
{
    while (size)
    {
        ssize_t sent = send(fd, text, size, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) continue;
        if (sent <= 0) return 0;
        text += sent;
        size -= sent;
    }
    return 1;
}

int renderer_start(const struct render_request *request, struct renderer *renderer)
{
    char path[4096], speed[16];
    char *argv[5];
    int input[2], output[2];
    posix_spawn_file_actions_t actions;
    pid_t pid;
    int spawned, sent;

    renderer->pid = 0;
    renderer->output = -1;
    if (!renderer_path(path, sizeof(path))) return -1;
    snprintf(speed, sizeof(speed), "%d", request->words_per_minute);
    argv[0] = path;
    argv[1] = (char *)request->voice;
    argv[2] = speed;
    argv[3] = request->ssml ? "ssml" : NULL;
    argv[4] = NULL;

    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, input)) return -1;
    if (pipe2(output, O_CLOEXEC))
    {
        close(input[0]);
        close(input[1]);
        return -1;
    }
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input[1], 0);
    posix_spawn_file_actions_adddup2(&actions, output[1], 1);
    spawned = posix_spawn(&pid, path, &actions, NULL, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(input[1]);
    close(output[1]);
    if (spawned)
    {
        close(input[0]);
        close(output[0]);
        return -1;
    }
    renderer->pid = pid;
    renderer->output = output[0];

    /* The renderer reads the whole text, up to its end, before it answers. */
    sent = send_all(input[0], request->utf8_text, strlen(request->utf8_text));
    close(input[0]);
    return sent ? 0 : -1;
}

int renderer_sample_rate(struct renderer *renderer)
{
    int32_t rate = 0;
    if (!read_exactly(renderer->output, &rate, sizeof(rate)) || rate <= 0) return -1;
    return rate;
}

int renderer_read(struct renderer *renderer, short *samples, int capacity)
{
    size_t size = 0;
    /* Whole samples only: a read may end in the middle of one. */
    while (size == 0 || size % sizeof(short))
    {
        ssize_t got = read(renderer->output, (char *)samples + size, capacity * sizeof(short) - size);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return -1;
        if (got == 0) break;
        size += got;
    }
    return size / sizeof(short);
}

void renderer_cancel(int pid)
{
    if (pid > 0) kill(pid, SIGKILL);
}

void renderer_finish(struct renderer *renderer)
{
    if (renderer->output >= 0) close(renderer->output);
    renderer->output = -1;
    if (renderer->pid > 0)
    {
        /* Its output is closed: a renderer still writing dies of SIGPIPE. */
        while (waitpid(renderer->pid, NULL, 0) < 0 && errno == EINTR);
    }
    renderer->pid = 0;
}
