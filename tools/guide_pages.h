// The user guide's pages: for each screen a shot of the guide's session, a
// title, a few lines of text and the numbered callouts, each with the point
// it marks, where its number stands and what the control does.
#pragma once
#include <cstdint>

struct Callout {
    int16_t x, y;                // the control, in screen pixels
    int16_t bubble_x, bubble_y;  // the number, in screen pixels; the margin lies outside the screen
    const char* text;            // what the control does (Markdown)
};

struct GuidePage {
    const char* shot;     // the session's shot
    const char* picture;  // the annotated picture's file name
    const char* title;
    const char* intro;
    const Callout* callouts;
    int count;
    const char* after;  // text after the numbered list, or null
};

extern const char* const kGuideIntro;
extern const char* const kKeysIntro;
extern const GuidePage kGuidePages[];
extern const int kGuidePageCount;
