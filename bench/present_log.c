/* A preload library for bench/desktop_cpu.sh: records every frame that the
 * desktop window shows, without touching the program. Each SDL_UpdateTexture
 * of the 240 x 320 screen texture appends one line to the file named by
 * KN_PRESENT_LOG:
 *
 *     <wall clock in ms> <FNV-1a hash of the 153600 bytes, hexadecimal> <bare>
 *
 * where bare is 1 when the top-right 20 x 20 corner, where every screen of
 * the program shows its mode selector, is plain white: a frame of animation
 * playback, which draws the stage alone.
 * Build: cc -shared -fPIC -O2 -o present_log.so present_log.c -ldl
 * Use:   KN_PRESENT_LOG=frames.txt LD_PRELOAD=./present_log.so kalvenorix */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

typedef int (*UpdateTextureFn)(void* texture, const void* rect, const void* pixels, int pitch);

static FILE* log_file;

int SDL_UpdateTexture(void* texture, const void* rect, const void* pixels, int pitch) {
    static UpdateTextureFn next;
    if (next == NULL) next = (UpdateTextureFn)dlsym(RTLD_NEXT, "SDL_UpdateTexture");
    if (log_file == NULL) {
        const char* path = getenv("KN_PRESENT_LOG");
        if (path != NULL) log_file = fopen(path, "a");
        if (log_file != NULL) setvbuf(log_file, NULL, _IOLBF, 0);
    }
    /* Only whole-screen uploads of the 240-pixel-wide 16-bit frame. */
    if (log_file != NULL && rect == NULL && pitch == 480 && pixels != NULL) {
        const uint8_t* bytes = (const uint8_t*)pixels;
        uint64_t hash = 1469598103934665603ull;
        for (int i = 0; i < 240 * 320 * 2; ++i) hash = (hash ^ bytes[i]) * 1099511628211ull;
        const uint16_t* words = (const uint16_t*)pixels;
        int bare = 1;
        for (int y = 0; y < 20; ++y)
            for (int x = 220; x < 240; ++x) bare &= words[y * 240 + x] == 0xFFFF;
        struct timespec now;
        clock_gettime(CLOCK_REALTIME, &now);
        long long ms = (long long)now.tv_sec * 1000 + now.tv_nsec / 1000000;
        fprintf(log_file, "%lld %016llx %d\n", ms, (unsigned long long)hash, bare);
    }
    return next(texture, rect, pixels, pitch);
}
