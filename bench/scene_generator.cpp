#include "scene_generator.h"

#include "drawing/colour.h"
#include "geometry/sincos.h"

namespace {

// xorshift32: small, fast and the same everywhere.
struct Random {
    uint32_t state;
    uint32_t Next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
    // Uniform in lo..hi inclusive (the slight bias of the modulo does not matter here).
    int32_t Range(int32_t lo, int32_t hi) {
        return lo + static_cast<int32_t>(Next() % static_cast<uint32_t>(hi - lo + 1));
    }
};

constexpr int kRecipes = 8;
constexpr uint8_t kRecipeVertices[kRecipes] = {4, 6, 8, 4, 3, 2, 3, 2};

struct Writer {
    Drawing& d;
    Random& random;
    int32_t cx, cy, radius;

    // A point at the given angle (tenths of a degree) and distance from the
    // centre, through the program's own sine table.
    Vertex Polar(int32_t angle, int32_t distance, uint8_t type) const {
        const SinCosValue sc = SinCos(static_cast<int16_t>(angle % 3600));
        return Vertex{static_cast<int16_t>(cx + sc.cos * distance / 16384),
                      static_cast<int16_t>(cy + sc.sin * distance / 16384), type, 0};
    }
    Vertex Offset(int32_t dx, int32_t dy, uint8_t type) const {
        return Vertex{static_cast<int16_t>(cx + dx), static_cast<int16_t>(cy + dy), type, 0};
    }
    void Put(const Vertex& v) { d.vertices[d.vertex_count++] = v; }
    int32_t Angle() { return random.Range(0, 3599); }
    int32_t Spread() { return random.Range(radius / 2, radius); }
};

void WriteRecipe(Writer& w, int recipe) {
    switch (recipe) {
        case 0: {  // rectangle, as the rectangle tool makes it
            const int32_t hw = w.Spread(), hh = w.Spread();
            w.Put(w.Offset(-hw, -hh, kPointCorner));
            w.Put(w.Offset(hw, -hh, kPointCorner));
            w.Put(w.Offset(hw, hh, kPointCorner));
            w.Put(w.Offset(-hw, hh, kPointCorner));
            break;
        }
        case 1: {  // triangle, and a smaller one inside it as a second contour: a hole
            const int32_t a = w.Angle();
            for (int k = 0; k < 3; ++k) w.Put(w.Polar(a + 1200 * k, w.radius, kPointCorner));
            const int32_t b = w.Angle();
            w.Put(w.Polar(b, w.radius / 3, kPointContourStart));
            w.Put(w.Polar(b + 1200, w.radius / 3, kPointCorner));
            w.Put(w.Polar(b + 2400, w.radius / 3, kPointCorner));
            break;
        }
        case 2: {  // ellipse: the on-curve points at every 45 degrees, odd ones the middles
            const int32_t rx = w.Spread(), ry = w.Spread();
            static const uint8_t kTypes[8] = {kPointCorner,  kPointControl, kPointCurveEnd,
                                              kPointControl, kPointCurveEnd, kPointControl,
                                              kPointCurveEnd, kPointControl};
            for (int k = 0; k < 8; ++k) {
                const SinCosValue sc = SinCos(static_cast<int16_t>(450 * k));
                w.Put(w.Offset(sc.cos * rx / 16384, sc.sin * ry / 16384, kTypes[k]));
            }
            break;
        }
        case 3: {  // blob: two bulging curves, the second closing the contour
            const int32_t a = w.Angle();
            w.Put(w.Polar(a, w.radius, kPointCorner));
            w.Put(w.Polar(a + 900, w.Spread(), kPointControl));
            w.Put(w.Polar(a + 1800, w.radius, kPointCurveEnd));
            w.Put(w.Polar(a + 2700, w.Spread(), kPointControl));
            break;
        }
        case 4: {  // open curve
            const int32_t a = w.Angle();
            w.Put(w.Polar(a, w.radius, kPointCorner));
            w.Put(w.Polar(a + 900, w.Spread() / 2, kPointControl));
            w.Put(w.Polar(a + 1800, w.radius, kPointCurveEnd));
            break;
        }
        case 6: {  // triangle
            const int32_t a = w.Angle();
            for (int k = 0; k < 3; ++k)
                w.Put(w.Polar(a + 1200 * k + w.random.Range(-200, 200), w.Spread(), kPointCorner));
            break;
        }
        default: {  // straight line through the centre
            const int32_t a = w.Angle();
            w.Put(w.Polar(a, w.radius, kPointCorner));
            w.Put(w.Polar(a + 1800, w.radius, kPointCorner));
            break;
        }
    }
}

ColourRecord RandomColour(Random& random) {
    const int alpha = random.Range(0, 2) == 0 ? random.Range(64, 200) : 255;
    return MakeColour(random.Range(0, 255), random.Range(0, 255), random.Range(0, 255), alpha);
}

}  // namespace

uint32_t SceneVertexCount(uint16_t shape_count) {
    uint32_t n = 0;
    for (uint32_t i = 0; i < shape_count; ++i) n += kRecipeVertices[i % kRecipes];
    return n;
}

bool GenerateScene(Drawing& d, const SceneParams& p) {
    if (p.shape_count > d.shape_capacity || SceneVertexCount(p.shape_count) > d.vertex_capacity)
        return false;
    Random random{p.seed != 0 ? p.seed : 1};
    d.vertex_count = 0;
    d.shape_count = 0;
    for (uint32_t i = 0; i < p.shape_count; ++i) {
        const int recipe = static_cast<int>(i % kRecipes);
        Writer w{d, random, random.Range(-p.half_width, p.half_width),
                 random.Range(-p.half_height, p.half_height),
                 random.Range(p.min_radius, p.max_radius)};
        const uint16_t first = d.vertex_count;
        WriteRecipe(w, recipe);
        const bool outline = recipe == 4 || recipe == 5 || recipe == 7;
        d.shapes[d.shape_count++] =
            ShapeRecord{first, static_cast<uint16_t>(d.vertex_count - first),
                        outline ? kShapeOutline : kShapeFilled, 0, RandomColour(random)};
    }
    return d.vertex_count == SceneVertexCount(p.shape_count) && CheckDrawing(d);
}

SceneParams EditorScene(uint16_t shape_count) {
    // The view maps drawing (0, 0) to the screen centre, ten units a pixel:
    // the screen spans +-1200 by +-1600 units.
    return SceneParams{0x4B4E0001u, shape_count, 1200, 1600, 40, 320};
}

SceneParams ActorDrawingScene(int k) {
    // At the default actor scale, about 40 pixels across: the 64 actors of
    // the playback scene, 30 by 40 pixels apart, cover the screen about once.
    return SceneParams{0x4B4E0100u + static_cast<uint32_t>(k), 64, 140, 140, 25, 80};
}
