// Mode 3: the whole screen in one colour, nothing to press but the selector.
#include "screens/blank_screen.h"

#include "surface/surface.h"

void BlankScreenRedraw() {
    surface.pen_colour.word = kBlankScreenWord;
    ClearSurface(surface);
}

const CommandEntry kBlankCommands[] = {{kNoCommand, nullptr}};
