/* A preload library for bench/desktop_cpu.sh: records every frame that the
 * desktop window shows, without touching the program. Each frame presented
 * after an SDL_UpdateTexture of the 240 x 320 screen texture appends one
 * line to the file named by KN_PRESENT_LOG:
 *
 *     <wall clock in ms> <FNV-1a hash of the 153600 bytes, hexadecimal> <bare>
 *         <upload us> <clear and copy us> <present us> <processor us>
 *
 * where bare is 1 when the top-right 20 x 20 corner, where every screen of
 * the program shows its mode selector, is plain white: a frame of animation
 * playback, which draws the stage alone. The last four are the presentation's
 * cost: the wall time of SDL_UpdateTexture (the upload), of SDL_RenderClear
 * and SDL_RenderCopy (the scaling onto the window), of SDL_RenderPresent, and
 * the calling thread's processor time in all of them. The first line names
 * the renderer SDL chose: "# renderer NAME".
 * Build: cc -shared -fPIC -O2 -o present_log.so present_log.c -ldl
 * Use:   KN_PRESENT_LOG=frames.txt LD_PRELOAD=./present_log.so kalvenorix */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

static FILE* log_file;
static FILE* Log(void) {
    if (log_file == NULL) {
        const char* path = getenv("KN_PRESENT_LOG");
        if (path != NULL) log_file = fopen(path, "a");
        if (log_file != NULL) setvbuf(log_file, NULL, _IOLBF, 0);
    }
    return log_file;
}

static double Micro(clockid_t clock) {
    struct timespec t;
    clock_gettime(clock, &t);
    return (double)t.tv_sec * 1e6 + (double)t.tv_nsec / 1e3;
}

/* The frame being presented: its line so far and the time spent on it. */
static int pending;
static long long pending_ms;
static unsigned long long pending_hash;
static int pending_bare;
static double upload_us, copy_us, cpu_us;

/* Times one call into SDL: adds its wall time to *wall and its processor time to cpu_us. */
#define TIMED(wall, call)                                              \
    do {                                                               \
        double w0 = Micro(CLOCK_MONOTONIC), c0 = Micro(CLOCK_THREAD_CPUTIME_ID); \
        call;                                                          \
        *(wall) += Micro(CLOCK_MONOTONIC) - w0;                        \
        cpu_us += Micro(CLOCK_THREAD_CPUTIME_ID) - c0;                 \
    } while (0)

typedef int (*UpdateTextureFn)(void* texture, const void* rect, const void* pixels, int pitch);
int SDL_UpdateTexture(void* texture, const void* rect, const void* pixels, int pitch) {
    static UpdateTextureFn next;
    if (next == NULL) next = (UpdateTextureFn)dlsym(RTLD_NEXT, "SDL_UpdateTexture");
    /* Only whole-screen uploads of the 240-pixel-wide 16-bit frame. */
    if (Log() != NULL && rect == NULL && pitch == 480 && pixels != NULL) {
        const uint8_t* bytes = (const uint8_t*)pixels;
        uint64_t hash = 1469598103934665603ull;
        for (int i = 0; i < 240 * 320 * 2; ++i) hash = (hash ^ bytes[i]) * 1099511628211ull;
        const uint16_t* words = (const uint16_t*)pixels;
        int bare = 1;
        for (int y = 0; y < 20; ++y)
            for (int x = 220; x < 240; ++x) bare &= words[y * 240 + x] == 0xFFFF;
        struct timespec now;
        clock_gettime(CLOCK_REALTIME, &now);
        pending = 1;
        pending_ms = (long long)now.tv_sec * 1000 + now.tv_nsec / 1000000;
        pending_hash = (unsigned long long)hash;
        pending_bare = bare;
        upload_us = copy_us = cpu_us = 0;
    }
    int result;
    TIMED(&upload_us, result = next(texture, rect, pixels, pitch));
    return result;
}

typedef int (*RenderFn)(void* renderer);
int SDL_RenderClear(void* renderer) {
    static RenderFn next;
    if (next == NULL) next = (RenderFn)dlsym(RTLD_NEXT, "SDL_RenderClear");
    int result;
    TIMED(&copy_us, result = next(renderer));
    return result;
}

typedef int (*RenderCopyFn)(void* renderer, void* texture, const void* source, const void* target);
int SDL_RenderCopy(void* renderer, void* texture, const void* source, const void* target) {
    static RenderCopyFn next;
    if (next == NULL) next = (RenderCopyFn)dlsym(RTLD_NEXT, "SDL_RenderCopy");
    int result;
    TIMED(&copy_us, result = next(renderer, texture, source, target));
    return result;
}

typedef void (*PresentFn)(void* renderer);
void SDL_RenderPresent(void* renderer) {
    static PresentFn next;
    if (next == NULL) next = (PresentFn)dlsym(RTLD_NEXT, "SDL_RenderPresent");
    double present_us = 0;
    TIMED(&present_us, next(renderer));
    if (pending && Log() != NULL)
        fprintf(log_file, "%lld %016llx %d %.0f %.0f %.0f %.0f\n", pending_ms, pending_hash,
                pending_bare, upload_us, copy_us, present_us, cpu_us);
    pending = 0;
}

/* The renderer's name, once, as the log's first line. */
typedef struct { /* SDL_RendererInfo */
    const char* name;
    uint32_t flags, num_texture_formats, texture_formats[16];
    int max_texture_width, max_texture_height;
} RendererInfo;
typedef void* (*CreateRendererFn)(void* window, int index, uint32_t flags);
typedef int (*GetInfoFn)(void* renderer, RendererInfo* info);
void* SDL_CreateRenderer(void* window, int index, uint32_t flags) {
    CreateRendererFn next = (CreateRendererFn)dlsym(RTLD_NEXT, "SDL_CreateRenderer");
    GetInfoFn info_of = (GetInfoFn)dlsym(RTLD_NEXT, "SDL_GetRendererInfo");
    void* renderer = next(window, index, flags);
    RendererInfo info;
    if (renderer != NULL && info_of != NULL && Log() != NULL && info_of(renderer, &info) == 0)
        fprintf(log_file, "# renderer %s\n", info.name);
    return renderer;
}
