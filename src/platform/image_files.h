// Animations as files: lossless animated WebP (libwebp's WebPAnimEncoder)
// and animated GIF (giflib), both looping forever. Frames are 8-bit red,
// green, blue rows, top-down, all of one size. The encoders work in memory;
// the caller writes the finished bytes whole (safe_files.h), so a failure
// never leaves part of a file.
#pragma once
#include <cstddef>
#include <cstdint>

enum class AnimationFormat : uint8_t { kWebp, kGif };

struct AnimationWriter;

// A started animation of width x height frames; null when the encoder cannot
// start (AnimationError says why; the web build has no encoder).
AnimationWriter* BeginAnimation(AnimationFormat format, int32_t width, int32_t height);

// Appends a frame shown for duration_ms. A frame equal to the one before it
// may lengthen that one instead. False when the encoder fails; the writer
// must still be finished.
//
// GIF: a frame of at most 256 colours gets exactly those colours; one of more
// goes through giflib's quantiser (GifQuantizeBuffer) to 256. Delays are in
// centiseconds: each frame ends at the first whole centisecond at or after
// the sum of the durations so far, so they add up (48 ms frames: 5, 5, 5,
// 5, 4, ...). Each frame after the first covers the smallest rectangle that
// holds every pixel that differs from the frame before it; the rest stays.
bool AddAnimationFrame(AnimationWriter* writer, const uint8_t* rgb, uint32_t duration_ms);

// The encoded file, from malloc; free with FreeEncodedAnimation.
struct EncodedAnimation {
    uint8_t* data;
    size_t size;
};

// Ends the animation and frees the writer; false (and nothing in out) when
// a frame or the end failed.
bool FinishAnimation(AnimationWriter* writer, EncodedAnimation* out);
void FreeEncodedAnimation(EncodedAnimation* animation);

// What went wrong last, in a few words.
const char* AnimationError();
