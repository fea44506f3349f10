// The skin artwork. Each strip is drawn at the skin position and item size
// its layout record gives, plain items in the strip's own place and the
// highlighted (pressed) items beside or below it, as widget drawing expects:
// vertical strips put them in the column to the right, horizontal strips in
// the row below. Icons are drawn on a 20 x 20 grid (15 x 20 for the narrow
// two-cell strip), with anti-aliased lines and polygons.
#include "skin_art.h"

#include "drawing/colour.h"
#include "raster/ellipses.h"
#include "raster/lines.h"
#include "raster/panels.h"
#include "raster/polygon_fill.h"
#include "screens/layout_tables.h"
#include "surface/pen.h"

namespace {

// ---------------------------------------------------------------------------
// Palette
// ---------------------------------------------------------------------------
struct Rgb {
    uint8_t r, g, b;
};

constexpr Rgb kBackground = {255, 255, 255};
constexpr Rgb kFace = {214, 219, 228};
constexpr Rgb kFaceLight = {250, 251, 253};
constexpr Rgb kFaceShadow = {112, 118, 134};
constexpr Rgb kPressedFace = {247, 208, 92};
constexpr Rgb kPressedShadow = {128, 98, 30};
constexpr Rgb kPressedLight = {255, 238, 176};
constexpr Rgb kInk = {34, 38, 54};
constexpr Rgb kBlue = {32, 96, 200};
constexpr Rgb kRed = {200, 40, 40};
constexpr Rgb kGreen = {30, 140, 60};
constexpr Rgb kOrange = {236, 150, 36};
constexpr Rgb kPaper = {255, 255, 255};
constexpr Rgb kFolder = {236, 190, 70};
constexpr Rgb kBlankBlue = {0, 28, 255};  // colour word 0x00FF, the blank screen's
constexpr Rgb kTab = {40, 170, 60};       // the stage's actor tabs and the library's letter tabs

// ---------------------------------------------------------------------------
// Drawing helpers, in item coordinates: (ox, oy) is the item's top-left pixel
// ---------------------------------------------------------------------------
ScreenSurface* target;
int ox, oy;

void Pen(Rgb c) { SetPenColour(*target, MakeColour(c.r, c.g, c.b, 255)); }

void Fill(int x1, int y1, int x2, int y2) {
    FillRect(*target, static_cast<int16_t>(ox + x1), static_cast<int16_t>(oy + y1),
             static_cast<int16_t>(ox + x2), static_cast<int16_t>(oy + y2));
}

void Frame(int x1, int y1, int x2, int y2) {
    FrameRect(*target, static_cast<int16_t>(ox + x1), static_cast<int16_t>(oy + y1),
              static_cast<int16_t>(ox + x2), static_cast<int16_t>(oy + y2));
}

void Line(int x0, int y0, int x1, int y1) { DrawLine(*target, ox + x0, oy + y0, ox + x1, oy + y1); }

// A two-pixel stroke: the line and its neighbour across the minor axis.
void Bold(int x0, int y0, int x1, int y1) {
    const int dx = x1 > x0 ? x1 - x0 : x0 - x1;
    const int dy = y1 > y0 ? y1 - y0 : y0 - y1;
    Line(x0, y0, x1, y1);
    if (dx >= dy) {
        Line(x0, y0 + 1, x1, y1 + 1);
    } else {
        Line(x0 + 1, y0, x1 + 1, y1);
    }
}

struct P {
    int x, y;
};

// Filled polygon; vertices are pixel corners, so (0, 0)-(2, 2) covers 2 x 2 pixels.
template <int N>
void Polygon(const P (&points)[N]) {
    for (int i = 0; i < N; ++i) {
        const P& a = points[i];
        const P& b = points[(i + 1) % N];
        AddEdge(*target, ox + a.x, oy + a.y, ox + b.x, oy + b.y);
    }
    FillEdges(*target);
}

// A chamfered tab, as the stage's actor tabs and the library's letters.
void Tab(int x1, int y1, int x2, int y2) {
    Pen(kTab);
    FillChamferRect(*target, static_cast<int16_t>(ox + x1), static_cast<int16_t>(oy + y1),
                    static_cast<int16_t>(ox + x2), static_cast<int16_t>(oy + y2), 2);
}

template <int N>
void Polyline(const P (&points)[N], bool bold) {
    for (int i = 0; i + 1 < N; ++i) {
        if (bold) {
            Bold(points[i].x, points[i].y, points[i + 1].x, points[i + 1].y);
        } else {
            Line(points[i].x, points[i].y, points[i + 1].x, points[i + 1].y);
        }
    }
}

// A small square vertex handle centred on (x, y).
void Handle(int x, int y, Rgb fill) {
    Pen(kInk);
    Frame(x - 2, y - 2, x + 2, y + 2);
    Pen(fill);
    Fill(x - 1, y - 1, x + 1, y + 1);
}

void Plus(int cx, int cy, int arm, Rgb c) {
    Pen(c);
    Fill(cx - arm, cy - 1, cx + arm, cy);
    Fill(cx - 1, cy - arm, cx, cy + arm);
}

void Minus(int cx, int cy, int arm, Rgb c) {
    Pen(c);
    Fill(cx - arm, cy - 1, cx + arm, cy);
}

// ---------------------------------------------------------------------------
// Item faces
// ---------------------------------------------------------------------------
// Plain: raised, light above and left. Pressed: warm, sunk, shadow above and
// left; the icon moves one pixel down and right with it.
void Face(int w, int h, bool pressed) {
    Pen(pressed ? kPressedFace : kFace);
    Fill(0, 0, w - 1, h - 1);
    Pen(pressed ? kPressedShadow : kFaceLight);
    Fill(0, 0, w - 1, 0);
    Fill(0, 0, 0, h - 1);
    Pen(pressed ? kPressedLight : kFaceShadow);
    Fill(0, h - 1, w - 1, h - 1);
    Fill(w - 1, 0, w - 1, h - 1);
    if (pressed) {  // a second shadow row deepens the dent
        Pen(kPressedShadow);
        Fill(1, 1, w - 2, 1);
        Fill(1, 1, 1, h - 2);
    }
}

using Icon = void (*)();

// ---------------------------------------------------------------------------
// Mode selector: draw, animate, files, blank, quit
// ---------------------------------------------------------------------------
void IconDraw() {
    Pen(kOrange);
    Polygon<4>({{5, 12}, {12, 5}, {15, 8}, {8, 15}});
    Pen(kPaper);
    Polygon<3>({{5, 12}, {8, 15}, {3, 17}});
    Pen(kInk);
    Polygon<3>({{4, 15}, {5, 16}, {3, 17}});
    Line(5, 12, 12, 5);
    Line(8, 15, 15, 8);
    Line(5, 12, 3, 17);
    Line(8, 15, 3, 17);
    Pen(kRed);
    Polygon<4>({{12, 5}, {14, 3}, {17, 6}, {15, 8}});
}

void IconAnimate() {
    Pen(kInk);
    Fill(4, 2, 15, 17);
    Pen(kPaper);
    for (int y = 3; y <= 15; y += 3) {
        Fill(5, y, 5, y + 1);
        Fill(14, y, 14, y + 1);
    }
    Pen(kBlue);
    Fill(7, 3, 12, 8);
    Fill(7, 11, 12, 16);
}

void IconFiles() {
    Pen(kFolder);
    Polygon<6>({{2, 6}, {3, 4}, {8, 4}, {9, 6}, {18, 6}, {18, 16}});
    Fill(2, 6, 17, 15);
    Pen(kInk);
    Frame(2, 6, 17, 15);
    Line(2, 6, 3, 4);
    Line(3, 4, 8, 4);
    Line(8, 4, 9, 6);
    Line(3, 8, 16, 8);
}

// The blank screen shows nothing but its blue.
void IconBlank() {
    Pen(kInk);
    Frame(5, 2, 14, 17);
    Frame(6, 3, 13, 16);
    Pen(kBlankBlue);
    Fill(7, 4, 12, 15);
}

// The power sign: the program ends.
void IconQuit() {
    Pen(kRed);
    Polyline<11>({{13, 5}, {15, 8}, {16, 11}, {15, 14}, {13, 16}, {10, 17}, {7, 16}, {5, 14}, {4, 11},
                  {5, 8}, {7, 5}},
                 true);
    Fill(9, 2, 10, 10);
}

// ---------------------------------------------------------------------------
// Tool chooser: outline freehand, filled freehand, rectangle, ellipse,
// select shape, edit vertices
// ---------------------------------------------------------------------------
void IconOutlineFreehand() {
    Pen(kBlue);
    Polyline<7>({{3, 13}, {5, 7}, {8, 5}, {10, 9}, {11, 13}, {14, 14}, {16, 6}}, true);
}

void IconFilledFreehand() {
    Pen(kBlue);
    Polygon<8>({{3, 12}, {5, 5}, {10, 3}, {13, 7}, {17, 8}, {16, 15}, {10, 17}, {5, 16}});
    Pen(kInk);
    Polyline<9>({{3, 12}, {5, 5}, {10, 3}, {13, 7}, {17, 8}, {16, 15}, {10, 17}, {5, 16}, {3, 12}},
                false);
}

// The rectangle and the ellipse are filled shapes, as the tools make them.
void IconRectangle() {
    Pen(kBlue);
    Fill(4, 6, 15, 13);
    Pen(kInk);
    Frame(3, 5, 16, 14);
}

// Drawn from its centre: the stroke starts on the centre and its end, drawn
// out to a corner, sets the radii.
void IconEllipse() {
    Pen(kBlue);
    Polygon<12>({{1, 8}, {2, 5}, {5, 3}, {8, 2}, {11, 3}, {14, 5}, {15, 8}, {14, 11}, {11, 13}, {8, 14},
                 {5, 13}, {2, 11}});
    Pen(kInk);
    DrawEllipse(*target, ox + 8, oy + 8, 7, 6);
    Bold(8, 8, 15, 15);
    Polygon<3>({{19, 19}, {12, 17}, {17, 12}});
    Handle(8, 8, kOrange);
}

// The pointer on a shape in its marching box: pick, then drag.
void IconSelectShape() {
    Pen(kBlue);
    Fill(4, 4, 10, 10);
    Pen(kInk);
    for (int edge = 0; edge < 4; ++edge) {
        const int x0 = edge == 1 ? 12 : 2, y0 = edge == 2 ? 12 : 2;
        const int x1 = edge == 3 ? 2 : 12, y1 = edge == 0 ? 2 : 12;
        DrawDashedLine(*target, ox + x0, oy + y0, ox + x1, oy + y1, 0x3333);
    }
    Pen(kPaper);
    Polygon<7>({{8, 7}, {8, 19}, {11, 16}, {13, 20}, {16, 19}, {14, 15}, {18, 15}});
    Pen(kInk);
    Polygon<7>({{9, 9}, {9, 17}, {11, 15}, {13, 19}, {14, 18}, {12, 14}, {15, 14}});
}

void IconEditVertices() {
    Pen(kBlue);
    Line(4, 15, 9, 4);
    Line(9, 4, 16, 12);
    Line(16, 12, 4, 15);
    Handle(4, 15, kPaper);
    Handle(9, 4, kPaper);
    Handle(16, 12, kOrange);
}

// ---------------------------------------------------------------------------
// Shape actions: delete, duplicate, forward, back, fill/outline
// ---------------------------------------------------------------------------
void IconDelete() {
    Pen(kInk);
    Fill(4, 4, 15, 5);
    Fill(8, 2, 11, 3);
    Pen(kRed);
    Polygon<4>({{5, 7}, {15, 7}, {14, 18}, {6, 18}});
    Pen(kPaper);
    Fill(8, 9, 8, 15);
    Fill(11, 9, 11, 15);
}

void IconDuplicate() {
    Pen(kInk);
    Frame(3, 3, 11, 11);
    Pen(kBlue);
    Fill(8, 8, 16, 16);
    Pen(kInk);
    Frame(8, 8, 16, 16);
}

// Two layer bars and an arrow that leaves them: up (forward) or down (back).
void Layers(int top) {
    Pen(kInk);
    Fill(3, top, 16, top);
    Fill(3, top + 3, 16, top + 3);
}

void IconForward() {
    Layers(13);
    Pen(kBlue);
    Polygon<3>({{10, 2}, {16, 8}, {4, 8}});
    Fill(8, 8, 11, 11);
}

void IconBack() {
    Layers(3);
    Pen(kBlue);
    Fill(8, 8, 11, 11);
    Polygon<3>({{4, 12}, {16, 12}, {10, 18}});
}

void IconFillOutline() {
    Pen(kBlue);
    Polygon<3>({{4, 4}, {4, 16}, {16, 16}});
    Pen(kInk);
    Frame(3, 3, 16, 16);
    Frame(4, 4, 15, 15);
}

// ---------------------------------------------------------------------------
// Vertex actions: insert, delete, curve, contour start, previous shape,
// next shape
// ---------------------------------------------------------------------------
void PathWithHandle() {
    Pen(kInk);
    Line(2, 14, 17, 14);
    Handle(10, 14, kOrange);
}

void IconInsertVertex() {
    PathWithHandle();
    Plus(10, 6, 4, kGreen);
}

void IconDeleteVertex() {
    PathWithHandle();
    Minus(10, 6, 4, kRed);
}

void IconCurve() {
    Pen(kBlue);
    Polyline<7>({{3, 15}, {5, 10}, {7, 7}, {10, 6}, {13, 7}, {15, 10}, {17, 15}}, true);
    Pen(kInk);
    DrawDashedLine(*target, ox + 3, oy + 15, ox + 10, oy + 3, 0x3333);
    DrawDashedLine(*target, ox + 10, oy + 3, ox + 17, oy + 15, 0x3333);
    Handle(10, 3, kOrange);
}

void IconContourStart() {
    Pen(kBlue);
    DrawCircle(*target, ox + 11, oy + 10, 6);
    DrawCircle(*target, ox + 11, oy + 10, 5);
    Handle(5, 10, kGreen);
}

// A small shape outline beside a pointing triangle.
void IconPreviousShape() {
    Pen(kInk);
    Polygon<3>({{2, 10}, {9, 4}, {9, 16}});
    Frame(11, 6, 17, 14);
    Pen(kBlue);
    Fill(12, 7, 16, 13);
}

void IconNextShape() {
    Pen(kInk);
    Frame(2, 6, 8, 14);
    Polygon<3>({{18, 10}, {11, 4}, {11, 16}});
    Pen(kBlue);
    Fill(3, 7, 7, 13);
}

// ---------------------------------------------------------------------------
// The two-cell strip, 15 pixels wide: a tab more (a new drawing in the
// editor, an actor on the stage), and refresh above a tab fewer (the
// editor's cell only refreshes; the stage's takes the last actor tab away)
// ---------------------------------------------------------------------------
void IconAdd() {
    Tab(1, 4, 13, 16);
    Plus(7, 10, 4, kPaper);
}

void IconRefreshFewer() {
    // A ring open at the upper right, whose arrowhead goes round clockwise;
    // square pixels read crisper than thin curves at this size.
    static const int kRing[][4] = {{5, 2, 7, 3},  {3, 3, 4, 4},    {2, 5, 3, 9},  {3, 10, 4, 11},
                                   {5, 11, 9, 12}, {10, 10, 11, 11}, {11, 6, 12, 9}};
    Pen(kBlue);
    for (const auto& block : kRing) Fill(block[0], block[1], block[2], block[3]);
    Polygon<3>({{7, 0}, {11, 3}, {7, 6}});
    Tab(2, 14, 12, 18);
    Minus(7, 16, 3, kPaper);
}

// ---------------------------------------------------------------------------
// Animation strip: play, two spare cells, pose
// ---------------------------------------------------------------------------
void IconPlay() {
    Pen(kGreen);
    Polygon<3>({{6, 3}, {16, 10}, {6, 17}});
}

void IconSpare() {}

void IconPose() {
    Pen(kInk);
    DrawCircle(*target, ox + 10, oy + 10, 7);
    Pen(kBlue);
    Bold(10, 10, 15, 5);
    Pen(kOrange);
    FillSoftDisc(*target, ox + 10, oy + 10, 2);
}

// ---------------------------------------------------------------------------
// Strips
// ---------------------------------------------------------------------------
struct StripArt {
    const WidgetRecord* record;
    const Icon* icons;
    int count;
};

const Icon kModeIcons[] = {IconDraw, IconAnimate, IconFiles, IconBlank, IconQuit};
const Icon kToolIcons[] = {IconOutlineFreehand, IconFilledFreehand, IconRectangle,
                           IconEllipse,         IconSelectShape,    IconEditVertices};
const Icon kShapeIcons[] = {IconDelete, IconDuplicate, IconForward, IconBack, IconFillOutline};
const Icon kVertexIcons[] = {IconInsertVertex, IconDeleteVertex,  IconCurve,
                             IconContourStart, IconPreviousShape, IconNextShape};
const Icon kAddIcons[] = {IconAdd, IconRefreshFewer};
const Icon kAnimationIcons[] = {IconPlay, IconSpare, IconSpare, IconPose};

void DrawItem(int x, int y, int w, int h, Icon icon, bool pressed) {
    ox = x;
    oy = y;
    Face(w, h, pressed);
    if (pressed) {
        ox += 1;
        oy += 1;
    }
    icon();
}

// Plain items at the record's skin position, highlighted ones beside them.
void DrawStripArt(const StripArt& art) {
    const WidgetRecord& w = *art.record;
    const int x = static_cast<int>(w.a), y = static_cast<int>(w.b);
    const int iw = static_cast<int>(w.c), ih = static_cast<int>(w.d);
    const bool vertical = w.type == kChooserVertical || w.type == kListStripVertical ||
                          w.type == kButtonStripVertical;
    for (int i = 0; i < art.count; ++i) {
        if (vertical) {
            DrawItem(x, y + i * ih, iw, ih, art.icons[i], false);
            DrawItem(x + iw, y + i * ih, iw, ih, art.icons[i], true);
        } else {
            DrawItem(x + i * iw, y, iw, ih, art.icons[i], false);
            DrawItem(x + i * iw, y + ih, iw, ih, art.icons[i], true);
        }
    }
}

}  // namespace

void DrawSkinArt(ScreenSurface& s) {
    target = &s;
    ox = oy = 0;
    Pen(kBackground);
    Fill(0, 0, kSkinArtWidth - 1, kSkinArtHeight - 1);
    const StripArt strips[] = {
        {&main_table[0],           kModeIcons,      5},
        {&drawing_editor_table[2], kToolIcons,      6},
        {&shape_tool_table[0],     kShapeIcons,     5},
        {&vertex_tool_table[0],    kVertexIcons,    6},
        {&drawing_editor_table[1], kAddIcons,       2},
        {&animation_table[1],      kAnimationIcons, 4},
    };
    for (const StripArt& art : strips) DrawStripArt(art);
}

void ReadSkinArt(const ScreenSurface& s, uint8_t* rgb) {
    for (int y = 0; y < kSkinArtHeight; ++y) {
        for (int x = 0; x < kSkinArtWidth; ++x) {
            const uint16_t word = s.pixel_base[x * s.x_step + y * s.y_step];
            const int r = word >> 11, g = (word >> 5) & 63, b = word & 31;
            uint8_t* out = rgb + (y * kSkinArtWidth + x) * 3;
            out[0] = static_cast<uint8_t>(r << 3 | r >> 2);
            out[1] = static_cast<uint8_t>(g << 2 | g >> 4);
            out[2] = static_cast<uint8_t>(b << 3 | b >> 2);
        }
    }
}
