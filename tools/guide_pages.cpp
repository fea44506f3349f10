// The user guide's pages. Points are screen pixels of the guide session's
// shots (docs/guide/guide.script); numbers stand in the margin, which lies
// 20 pixels round the screen (x -20..-1 and 240..259, y -20..-1 and
// 320..339), or on a quiet part of the picture.
#include "guide_pages.h"

const char* const kGuideIntro =
    "# KalveNorix: a guide to the screens\n"
    "\n"
    "<!-- Written by tools/annotate.cpp from the shots of docs/guide/guide.script: "
    "`make screenshots` draws it again. Edit the tables in tools/guide_pages.cpp, not this file. -->\n"
    "\n"
    "Each picture is the real screen at twice its size, taken from the guide's own session; "
    "the numbers match the list below it. The stylus is the left mouse button (or a finger or a pen "
    "on the web page): tap a control to use it, drag on the canvas to draw. Nothing on the screen "
    "has a label, so this guide names every control.";

const char* const kKeysIntro =
    "In the window and on the web page, keys do what the taps do. "
    "`kalvenorix --help` prints the same list, and F1 prints it while the program runs.";

namespace {

// clang-format off
const Callout kEditor[] = {
    {10,  3,   10,  -10, "**Library**: the letter of the drawing you are editing. Tap it to choose another drawing (picture 5)."},
    {27,  3,   27,  -10, "**New drawing** (a tab with a plus): keeps this drawing in the library and starts the next empty one."},
    {42,  3,   45,  -10, "**Refresh** (the ring arrow): draws the editor again and renews the select and vertex tools' picking. On the animation screen the same button takes an actor tab away (picture 8)."},
    {190, 3,   190, -10, "**Colour** for new shapes: tap it for the colour picker (picture 4)."},
    {210, 3,   210, -10, "**Tool**: shows the current tool; tap it to choose another (picture 2)."},
    {230, 3,   235, -10, "**Screens**, on every screen: drawing, animation, files, a blank screen and quit (picture 3)."},
    {160, 250, 249, 250, "**The canvas**: drag on it to draw with the current tool. Shapes pile up in the order they are drawn; the newest is on top."},
};

const Callout kTools[] = {
    {218, 10,  249, 10,  "**Outline**: a line along the stroke. Strokes in the same colour, one after another, join into one shape."},
    {218, 30,  249, 30,  "**Filled shape**: the stroke's outline, filled."},
    {218, 50,  249, 50,  "**Rectangle**: drag from one corner to the opposite one; the rectangle is filled."},
    {218, 70,  249, 70,  "**Ellipse**: press where its centre goes and drag outwards: the ellipse is drawn from its centre, as wide and tall as twice the drag. The sun was drawn so."},
    {218, 90,  249, 90,  "**Select**: tap a shape to select it and its actions (picture 6); drag it to move it."},
    {218, 110, 249, 110, "**Vertices**: drag the corners of a shape and use the vertex actions (picture 7)."},
};

const Callout kModes[] = {
    {238, 10,  249, 10,  "**Drawing**: the editor (picture 1)."},
    {238, 30,  249, 30,  "**Animation**: the stage, where drawings become actors (picture 8)."},
    {238, 50,  249, 50,  "**Files** and the version line (picture 11)."},
    {238, 70,  249, 70,  "**Blank screen**: only blue; the screen's button brings you back."},
    {238, 90,  249, 90,  "**Quit**: ends the program. The work is kept for the next start (see the README)."},
};

const Callout kPicker[] = {
    {30,  100, -10, 100, "**Translucency**: at the top the colour is fully transparent, at the bottom opaque. A drawing's colour can be translucent: what lies behind shows through, as the sun through the cloud."},
    {100, 60,  100, -10, "**Shade**: grey on the left to full colour on the right, black at the top to white at the bottom."},
    {218, 150, 249, 150, "**Hue**: red, yellow, green, cyan, blue, magenta, from top to bottom."},
    {140, 180, 249, 180, "**Read-out**: the colour's red, green and blue in hexadecimal."},
    {150, 205, 249, 205, "**Preview**: the colour over white, as translucent as it will be drawn."},
    {190, 3,   190, -10, "**The colour button** follows at once."},
    {120, 305, 120, 329, "**Tap anywhere else** (or press Escape) to close the picker. The colour becomes the colour of new shapes, and of the selected shape in the select and vertex tools."},
};

const Callout kLibrary[] = {
    {17,  26,  -10, 26,  "**Drawings**, a lettered tab each (A, B, ...): tap one to edit that drawing. A tap below the last tab starts an unused one."},
    {120, 250, 249, 250, "**Tap anywhere else** (or press Escape) to close the chooser and stay on the current drawing."},
};

const Callout kSelect[] = {
    {60,  3,   60,  -10, "**Delete** the selected shape (or press Delete)."},
    {80,  3,   80,  -10, "**Duplicate** it: the copy lies on top and is selected."},
    {100, 3,   100, -10, "**Forward**: one place up, in front of the shape above it."},
    {120, 3,   120, -10, "**Back**: one place down, behind the shape below it."},
    {140, 3,   140, -10, "**Filled or outline**: switches the shape between the two."},
    {47,  100, -10, 100, "**The marching box** shows the selected shape. Drag the shape to move it. Its colour becomes the current colour; a colour chosen in the picker now recolours it."},
    {80,  84,  -10, 60,  "**Overlapping shapes**: the cloud lies over the sun. The first tap here picks the cloud, the one on top; a second tap on the same spot picks the sun below it; a third the cloud again."},
};

const Callout kVertices[] = {
    {60,  3,   60,  -10, "**Insert**: doubles the chosen vertex; drag the new one away."},
    {80,  3,   80,  -10, "**Delete** the chosen vertex (or press Delete)."},
    {100, 3,   100, -10, "**Curve**: the chosen vertex becomes the control point of a curve, or a corner again."},
    {120, 3,   120, -10, "**Contour start**: the chosen vertex starts a new contour of the same shape (a hole, or a second part), or joins the contour before it again."},
    {140, 3,   140, -10, "**Previous shape** for the handles."},
    {160, 3,   160, -10, "**Next shape** for the handles."},
    {100, 86,  249, 86,  "**Handles** on the vertices of the selected shape (of the last shape when none is selected). Tap one to choose it, drag it to move it; the chosen one pulses. Here the sun's right-hand vertex was pulled out."},
};

const Callout kAnimation[] = {
    {10,  3,   10,  -10, "**Library**: gives the selected actor another drawing."},
    {30,  3,   30,  -10, "**Play** (picture 10)."},
    {60,  3,   60,  -10, "Two **spare cells**: they do nothing."},
    {90,  3,   90,  -10, "**Pose** the selected actor: turn and scale it (picture 9)."},
    {7,   310, -10, 300, "**Add an actor** showing the current drawing (the letter at the top left), with a tab of its own, selected."},
    {22,  310, 22,  329, "**One tab fewer**: takes the last tab away; its actor stays on the stage."},
    {225, 310, 225, 329, "**Actor tabs**, numbered from the right: tap one to select its actor."},
    {229, 180, 249, 180, "**Frame slider**, a frame per pixel from the top (playback shows frames 0 to 200): drag the knob; when you lift the stylus the actors take their poses at that frame. Ticks beside the slider mark the selected actor's keys (here frames 0 and 150)."},
    {200, 150, 249, 120, "**The selected actor**, in its marching box with its number. Drag it to move it: when you lift the stylus, its pose becomes a key at the current frame. Where actors overlap, the first tap picks the one added first (here the scene behind); a second tap on the same spot picks the next (the boat)."},
};

const Callout kPose[] = {
    {10,  160, -10, 160, "**Drawing bar**: slide along it to choose the current drawing (its letter shows), the one the next new actor shows."},
    {120, 210, 120, 329, "**Dial**: tap or drag in the square round the circle; the needle from the centre to the stylus turns the actor."},
    {219, 52,  249, 52,  "**Scale bar**: the knob's height sets the actor's size, from nothing at the top to ten times the size of a new actor at the bottom."},
    {113, 6,   125, -10, "**Pose line**: the selected actor's position, angle (in tenths of a degree) and scale."},
    {180, 280, 249, 280, "**Tap anywhere else** (or press Escape) to close the pose screen: the pose becomes a key at the current frame."},
};

const Callout kPlayback[] = {
    {160, 200, 249, 200, "**Tap anywhere** (or press Space) to stop. The actors stay as the last frame showed them; the current frame does not change."},
};

const Callout kFiles[] = {
    {88,  3,   88,  -10, "The program's **version**; its contact address is at the bottom."},
    {200, 27,  249, 30,  "**Path bar**: the current folder; tap it to go up one level."},
    {8,   42,  -10, 45,  "**File pages**: with more than ten files, numbered bubbles here turn the pages."},
    {105, 74,  249, 74,  "**Files**, ten to a page, in name order: tap one to highlight it. The browser opens nothing."},
    {8,   222, -10, 222, "**Folder pages**, as for the files."},
    {60,  250, -10, 250, "**Folders**, ten to a page, two to a row: tap one to enter it."},
};
// clang-format on

template <int N>
constexpr int Count(const Callout (&)[N]) {
    return N;
}

}  // namespace

// clang-format off
const GuidePage kGuidePages[] = {
    {"g-editor.png", "editor.png", "1. The drawing editor",
     "The program starts here. A bar along the top holds the editor's controls; the drawing fills the screen behind them.",
     kEditor, Count(kEditor), nullptr},
    {"g-tools.png", "tools.png", "2. The tools",
     "The tool button opens its strip: tap a tool to choose it (the keys 1 to 6 do the same).",
     kTools, Count(kTools), nullptr},
    {"g-modes.png", "modes.png", "3. The screens",
     "The button at the top right of every screen opens this strip.",
     kModes, Count(kModes), nullptr},
    {"g-picker.png", "picker.png", "4. The colour picker",
     "The colour button opens the picker over the editor. A tap or a drag on a control changes the colour at once.",
     kPicker, Count(kPicker), nullptr},
    {"g-library.png", "library.png", "5. The library",
     "The library keeps up to 64 drawings. The letter at the top left opens the chooser.",
     kLibrary, Count(kLibrary), nullptr},
    {"g-select.png", "select.png", "6. The select tool",
     "With the select tool the bar shows the shape actions, which work on the selected shape.",
     kSelect, Count(kSelect), nullptr},
    {"g-vertices.png", "vertices.png", "7. The vertex tool",
     "With the vertex tool the bar shows the vertex actions, which work on the chosen vertex of the selected shape.",
     kVertices, Count(kVertices), nullptr},
    {"g-animation.png", "animation.png", "8. The animation screen",
     "Drawings of the library go on the stage as actors. Each actor keeps a pose (place, angle, size) for any frame you set one at; between two keys it moves evenly. Here the scene and a boat are two actors, and the boat has keys at frames 0 and 150.",
     kAnimation, Count(kAnimation), nullptr},
    {"g-pose.png", "pose.png", "9. The pose screen",
     "The pose button opens it for the selected actor, which follows the controls as you move them. Opening it already gives the actor the angle of the dial's last setting and the size of the scale bar's.",
     kPose, Count(kPose), nullptr},
    {"g-playing.png", "playback.png", "10. Playback",
     "Play shows frames 0 to 200 over and over, without the controls.",
     kPlayback, Count(kPlayback), nullptr},
    {"g-files.png", "files.png", "11. The files screen",
     "The device's folder (the bundled one, or the folder given with `--root`), read only. Names show in the program's font: accented letters as they are, characters the font lacks as a bar, and the entries in name order, whatever their case or accents.",
     kFiles, Count(kFiles), nullptr},
};
// clang-format on

const int kGuidePageCount = static_cast<int>(sizeof kGuidePages / sizeof kGuidePages[0]);
