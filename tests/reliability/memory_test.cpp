// Memory stays flat: once start-up is over, the heap holds the same bytes
// whenever the program waits for input, over every session script of the
// tests (which also keep the invariants), sessions that swap shapes of
// different lengths and list folders, and random sessions.
#include <dirent.h>
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>

#include "reliability/session_driver.h"

// What the heap holds: the sanitizer's count of live bytes, or else the live
// blocks counted by a malloc of this binary that forwards to the C library's.
#if defined(__SANITIZE_ADDRESS__)
extern "C" size_t __sanitizer_get_current_allocated_bytes();  // its header does not come with every compiler
static size_t HeapBytes() { return __sanitizer_get_current_allocated_bytes(); }
#else
static size_t live_blocks = 0;
static size_t HeapBytes() { return live_blocks; }
static void* Count(void* block, void* replaced) {
    live_blocks += (block != nullptr) - (replaced != nullptr);
    return block;
}
extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* p, size_t size);
void __libc_free(void* p);
void* malloc(size_t size) noexcept { return Count(__libc_malloc(size), nullptr); }
void* calloc(size_t count, size_t size) noexcept { return Count(__libc_calloc(count, size), nullptr); }
void* realloc(void* p, size_t size) noexcept { return Count(__libc_realloc(p, size), p); }
void free(void* p) noexcept {
    live_blocks -= p != nullptr;
    __libc_free(p);
}
}
#endif

static const char* HeapIsFlat(int64_t waits_since_start) {
    static size_t after_start_up = 0;
    if (waits_since_start == 0) after_start_up = HeapBytes();
    return HeapBytes() == after_start_up ? nullptr : "the heap changed after start-up";
}

TEST(FlatMemory, TheHeapStaysAsStartUpLeftIt) {
    std::vector<SessionSource> sessions(2);
    // A rectangle and an ellipse; the select tool moves the ellipse back,
    // forward and back: each move swaps shapes of different lengths.
    sessions[0].script = "tap 210 10\ntap 210 50\ndrag 40 100 80 140 2\ntap 210 10\ntap 210 70\n"
                         "drag 150 200 200 260 2\ntap 210 10\ntap 210 90\ntap 175 230\ntap 120 10\ntap 110 10\ntap 120 10\n";
    // The files screen: into the first folder and back up, twice.
    sessions[1].script = "tap 230 10\ntap 230 50\ntap 50 236\ntap 100 28\ntap 50 236\ntap 100 28\n";
    DIR* dir = opendir(KN_TEST_DIR "/scripts");
    ASSERT_NE(dir, nullptr);
    for (const dirent* entry; (entry = readdir(dir)) != nullptr;) {
        const std::string name = entry->d_name;
        if (name.size() < 8 || name.substr(name.size() - 7) != ".script") continue;
        sessions.emplace_back();
        // Without its shots: the runner's PNG writer is no part of the program.
        const std::string text = (std::stringstream() << std::ifstream(KN_TEST_DIR "/scripts/" + name).rdbuf()).str();
        sessions.back().script = std::regex_replace(text, std::regex("(^|\n)shot "), "$1# shot ");
        sessions.back().root = KN_ASSET_DIR "/device";  // as the scripts' expect lines assume
    }
    closedir(dir);
    EXPECT_GT(sessions.size(), 2u);
    for (uint64_t seed : {11u, 12u, 13u}) sessions.push_back(SessionSource{seed, 8000, {}, {}, nullptr});
    SetExtraCheck(HeapIsFlat);
    for (const SessionSource& session : sessions) {
        const SessionOutcome outcome = RunSession(session);
        EXPECT_FALSE(outcome.failed) << outcome.fault << "\n" << session.seed << session.script.substr(0, 200);
    }
    SetExtraCheck(nullptr);
}
