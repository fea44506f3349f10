// Playback: frames 0 to 200 in a loop until a tap. The loop never sleeps; it
// spins on the message pump and shows the next frame once more than 47 ms
// have passed since the last one.
#include "animation/stage.h"
#include "input/input.h"

void PlayAnimation(Stage& st, ScreenSurface& s) {
    int32_t frame = 0;
    uint32_t last_frame_ms = 0;
    bool shown_any = false;
    bool stop = false;
    while (!stop) {
        PumpMessages();
        uint32_t now_ms = GetTickCount();
        // The first frame goes up at once, whatever the tick count reads;
        // after that the unsigned difference survives the counter's wrap.
        if (!shown_any || now_ms - last_frame_ms > kFrameWaitMs) {
            shown_any = true;
            last_frame_ms = now_ms;
            s.pen_colour.word = 0xFFFF;
            ClearSurface(s);
            InterpolateFrame(st, frame);
            RenderActors(st, s);
            PresentSurface(s);
            frame = frame < kLastPlayedFrame ? frame + 1 : 0;
        }
        if (input.tap_latch) {
            input.tap_latch = 0;
            stop = true;
        }
    }
    // Return only once the stylus has lifted, so that the stopping tap does
    // not start a press on the screen below.
    while (input.stylus_down) PumpMessages();
}
