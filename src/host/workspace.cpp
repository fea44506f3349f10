// The workspace image: a magic, the format version, then sections, each a
// four-letter tag, its length and a CRC-32 of its bytes. The reader checks
// everything into a staging copy first, so a damaged image changes nothing.
#include "host/workspace.h"

#include <cstring>
#include <initializer_list>

#include "animation/stage.h"
#include "drawing/colour.h"
#include "drawing/drawing.h"
#include "drawing/library.h"
#include "platform/safe_files.h"
#include "screens/animation_screen.h"
#include "screens/colour_picker.h"
#include "screens/drawing_editor.h"
#include "screens/layout_tables.h"
#include "screens/pose_screen.h"
#include "screens/screen_state.h"
#include "screens/shape_picking.h"
#include "screens/widget_ids.h"
#include "surface/pick_list.h"
#include "ui/stroke.h"
#include "ui/ui_loop.h"

static const uint8_t kMagic[4] = {'K', 'N', 'W', 'S'};

// ---------------------------------------------------------------------------
// Writing
// ---------------------------------------------------------------------------
struct Writer {
    uint8_t* out;
    size_t capacity;
    size_t length;
    bool ok;
    size_t section;  // where the open section's payload starts

    void Bytes(const void* data, size_t n) {
        if (!ok || n > capacity - length) {
            ok = false;
            return;
        }
        if (n != 0) std::memcpy(out + length, data, n);
        length += n;
    }
    void U8(uint32_t v) {
        const uint8_t b = static_cast<uint8_t>(v);
        Bytes(&b, 1);
    }
    void U16(uint32_t v) {
        const uint8_t b[2] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)};
        Bytes(b, 2);
    }
    void U32(uint32_t v) {
        const uint8_t b[4] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8),
                              static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 24)};
        Bytes(b, 4);
    }
    void I32(int32_t v) { U32(static_cast<uint32_t>(v)); }
    void I16(int16_t v) { U16(static_cast<uint16_t>(v)); }

    void Begin(const char tag[5]) {
        Bytes(tag, 4);
        U32(0);  // the length, filled in by End
        section = length;
    }
    void End() {
        if (!ok) return;
        const size_t n = length - section;
        for (int i = 0; i < 4; ++i) out[section - 4 + i] = static_cast<uint8_t>(n >> (8 * i));
        U32(Crc32(0, out + section, n));
    }
};

static void WriteTransform(Writer& w, const Transform& t) {
    for (int32_t v : {t.a, t.b, t.c, t.d, t.tx, t.ty}) w.I32(v);
}

size_t WriteWorkspace(uint8_t* out, size_t capacity, int32_t last_screen) {
    Writer w = {out, capacity, 0, true, 0};
    w.Bytes(kMagic, 4);
    w.U16(kWorkspaceVersion);
    w.U16(0);

    const int32_t mode = controls.mode == kModeQuit ? last_screen : controls.mode;
    w.Begin("SCRN");
    for (int32_t v : {mode, controls.strip_cell, stage_screen.selected_actor,
                      stage_screen.actor_tab_count, stage_screen.current_frame,
                      stage_screen.scale_slider_value, stage_screen.dial_value})
        w.I32(v);
    w.End();

    w.Begin("EDIT");
    for (int32_t v : {editor.tool, editor.current_slot, editor.next_new_slot, editor.drawing_slot,
                      editor.selected_shape, editor.selected_vertex})
        w.I32(v);
    w.End();

    w.Begin("COLR");
    w.Bytes(&current_colour, sizeof current_colour);
    for (int32_t v : {picker.square_value, picker.hue_value, picker.alpha_value, picker.hue,
                      picker.saturation, picker.lightness})
        w.I32(v);
    w.End();

    w.Begin("DRAW");
    if (w.ok && PackedSize(drawing) <= w.capacity - w.length)
        w.length += PackDrawing(drawing, w.out + w.length);
    else
        w.ok = false;
    w.End();

    w.Begin("LIBR");
    w.U16(static_cast<uint16_t>(library.slot_count));
    for (int i = 0; i < library.slot_count; ++i) w.U32(library.slots[i].size);
    w.Bytes(library.arena, library.used);
    w.End();

    w.Begin("STAG");
    w.U16(static_cast<uint16_t>(stage.actor_count));
    for (int i = 0; i < stage.actor_count; ++i) {
        const Actor& a = stage.actors[i];
        for (int16_t v : {a.slot, a.pose.angle, a.pose.x, a.pose.y, a.pose.scale}) w.I16(v);
        for (int32_t v : {a.previous_key_frame, a.next_key_frame, a.previous_key_index,
                          a.next_key_index})
            w.I32(v);
        WriteTransform(w, a.transform);
        WriteTransform(w, a.inverse);
    }
    w.U16(static_cast<uint16_t>(stage.key_count));
    for (int i = 0; i < stage.key_count; ++i) {
        const Keyframe& k = stage.keys[i];
        w.I32(k.frame);
        for (int16_t v : {k.actor, k.x, k.y, k.angle, k.scale}) w.I16(v);
    }
    w.End();
    return w.ok ? w.length : 0;
}

// ---------------------------------------------------------------------------
// Reading
// ---------------------------------------------------------------------------
struct Reader {
    const uint8_t* data;
    size_t size;
    size_t at;
    bool ok;

    const uint8_t* Bytes(size_t n) {
        if (!ok || n > size - at) {
            ok = false;
            return nullptr;
        }
        const uint8_t* p = data + at;
        at += n;
        return p;
    }
    uint32_t U16() {
        const uint8_t* p = Bytes(2);
        return p != nullptr ? static_cast<uint32_t>(p[0] | p[1] << 8) : 0;
    }
    uint32_t U32() {
        const uint8_t* p = Bytes(4);
        return p != nullptr ? (static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                               static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24)
                            : 0;
    }
    int32_t I32() { return static_cast<int32_t>(U32()); }
    int16_t I16() { return static_cast<int16_t>(U16()); }
    bool Done() const { return ok && at == size; }
};

// The state as the image has it, checked before any of it is put in place.
struct Staged {
    ScreenControls controls;
    StageScreenState stage_screen;
    EditorState editor;
    ColourRecord colour;
    PickerState picker;
    Vertex vertices[kVertexCapacity];  // the edited drawing's
    ShapeRecord shapes[kShapeCapacity];
    Vertex slot_vertices[kVertexCapacity];  // each slot's in turn, while it is checked
    ShapeRecord slot_shapes[kShapeCapacity];
    Drawing drawing;
    DrawingLibrary library;
    Stage stage;
};

static Staged staged;

static bool Within(int32_t v, int32_t low, int32_t high) { return v >= low && v <= high; }

// The largest value a cell grid's value can take: the row and column of a
// point on its far edge, stepped back only from exactly one past the last,
// as the UI loop does. The grids are found by the variable they set.
static int32_t GridLimitOf(const WidgetRecord* table, const int32_t* variable) {
    const WidgetRecord* w = table;
    while (w->type != kEnd && !(w->type == kCellGrid && GridValueOf(*w) == variable)) ++w;
    if (w->type == kEnd || w->b < 1 || w->c < 1) return 0;
    const int32_t rows = static_cast<int32_t>(w->b), columns = static_cast<int32_t>(w->c);
    const int32_t cell_height = (w->y2 - w->y1) / rows, cell_width = (w->x2 - w->x1) / columns;
    if (cell_height < 1 || cell_width < 1) return 0;
    int32_t row = (w->y2 - w->y1) / cell_height, column = (w->x2 - w->x1) / cell_width;
    if (row == rows) row = rows - 1;
    if (column == columns) column = columns - 1;
    return row * columns + (columns - 1 < column ? columns - 1 : column);
}

// Values the controls can take: a grid's far edge as the UI loop reads it,
// and the pose screen's slider also opens at any actor's scale (an int16 in
// Q14, 64 cells to 1.0).
static bool ReadScreens(Reader& r, Staged& s) {
    s.controls.mode = r.I32();
    s.controls.strip_cell = r.I32();
    s.stage_screen.selected_actor = r.I32();
    s.stage_screen.actor_tab_count = r.I32();
    s.stage_screen.current_frame = r.I32();
    s.stage_screen.scale_slider_value = r.I32();
    s.stage_screen.dial_value = r.I32();
    const int32_t scale_cells = INT16_MAX * kScaleSliderCells / kOneQ14;
    return r.Done() && Within(s.controls.mode, kModeDrawing, kModeBlank) &&
           Within(s.controls.strip_cell, 0, 63) &&
           Within(s.stage_screen.selected_actor, -1, kActorCapacity - 1) &&
           Within(s.stage_screen.actor_tab_count, 0, kActorCapacity) &&
           Within(s.stage_screen.current_frame, 0, GridLimitOf(animation_table, &stage_screen.current_frame)) &&
           Within(s.stage_screen.scale_slider_value, -scale_cells - 1, scale_cells) &&
           Within(s.stage_screen.dial_value, 0, GridLimitOf(pose_table, &stage_screen.dial_value));
}

static bool ReadEditor(Reader& r, Staged& s) {
    s.editor.tool = r.I32();
    s.editor.current_slot = r.I32();
    s.editor.next_new_slot = r.I32();
    s.editor.drawing_slot = r.I32();
    s.editor.selected_shape = r.I32();
    s.editor.selected_vertex = r.I32();
    return r.Done() && Within(s.editor.tool, 0, kToolCount - 1) &&
           Within(s.editor.current_slot, 0, kSlotCount - 1) &&
           Within(s.editor.next_new_slot, 1, kLastNewSlot) &&
           Within(s.editor.drawing_slot, 0, kSlotCount - 1) &&
           Within(s.editor.selected_shape, -1, kShapeCapacity - 1) &&
           Within(s.editor.selected_vertex, -1, kVertexCapacity - 1);
}

// The square's row goes one past its grid for white (lightness 240).
static bool ReadColour(Reader& r, Staged& s) {
    const uint8_t* c = r.Bytes(sizeof(ColourRecord));
    if (c != nullptr) std::memcpy(&s.colour, c, sizeof s.colour);
    s.picker.square_value = r.I32();
    s.picker.hue_value = r.I32();
    s.picker.alpha_value = r.I32();
    s.picker.hue = r.I32();
    s.picker.saturation = r.I32();
    s.picker.lightness = r.I32();
    return r.Done() && s.colour.word == PackColourWord(s.colour) &&
           Within(s.picker.square_value, 0, kSquareCells * (kSquareCells + 1) - 1) &&
           Within(s.picker.hue_value, 0, kHueCount - 1) && Within(s.picker.alpha_value, 0, 255) &&
           Within(s.picker.hue, 0, kHueCount - 1) && Within(s.picker.saturation, 0, 240) &&
           Within(s.picker.lightness, 0, 240);
}

static bool ReadDrawing(Reader& r, Staged& s) {
    s.drawing = Drawing{s.vertices, 0, kVertexCapacity, s.shapes, 0, kShapeCapacity};
    return UnpackDrawing(r.data, static_cast<uint32_t>(r.size), s.drawing) && CheckDrawing(s.drawing);
}

// The slots are rebuilt back to back in a fresh arena; each must hold a
// drawing the editor could have stored.
static bool ReadLibrary(Reader& r, Staged& s) {
    DrawingLibrary& lib = s.library;
    LibraryInit(lib);
    const uint32_t count = r.U16();
    if (count > kSlotCount) return false;
    uint32_t used = 0;
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t size = r.U32();
        if (size > kArenaBytes - used) return false;
        lib.slots[i] = LibrarySlot{lib.arena + used, size};
        used += size;
    }
    const uint8_t* bytes = r.Bytes(used);
    if (bytes == nullptr || !r.Done()) return false;
    std::memcpy(lib.arena, bytes, used);
    lib.used = used;
    lib.slot_count = static_cast<int16_t>(count);
    if (!CheckLibrary(lib)) return false;
    Drawing check = {s.slot_vertices, 0, kVertexCapacity, s.slot_shapes, 0, kShapeCapacity};
    for (uint32_t i = 0; i < count; ++i) {
        if (lib.slots[i].size == 0) continue;
        if (!UnpackDrawing(lib.slots[i].data, lib.slots[i].size, check) || !CheckDrawing(check))
            return false;
    }
    return true;
}

static void ReadTransform(Reader& r, Transform& t) {
    for (int32_t* v : {&t.a, &t.b, &t.c, &t.d, &t.tx, &t.ty}) *v = r.I32();
}

static bool ReadStage(Reader& r, Staged& s) {
    Stage& st = s.stage;
    std::memset(&st, 0, sizeof st);
    const uint32_t actors = r.U16();
    if (actors > kActorCapacity) return false;
    st.actor_count = static_cast<int16_t>(actors);
    for (uint32_t i = 0; i < actors; ++i) {
        Actor& a = st.actors[i];
        for (int16_t* v : {&a.slot, &a.pose.angle, &a.pose.x, &a.pose.y, &a.pose.scale}) *v = r.I16();
        for (int32_t* v : {&a.previous_key_frame, &a.next_key_frame, &a.previous_key_index,
                           &a.next_key_index})
            *v = r.I32();
        ReadTransform(r, a.transform);
        ReadTransform(r, a.inverse);
        if (!Within(a.slot, 0, kSlotCount - 1) || !Within(a.previous_key_frame, 0, 65535) ||
            !Within(a.next_key_frame, 0, 65535) || !Within(a.previous_key_index, -1, kKeyCapacity - 1) ||
            !Within(a.next_key_index, -1, kKeyCapacity - 1))
            return false;
    }
    const uint32_t keys = r.U16();
    if (keys > kKeyCapacity) return false;
    st.key_count = static_cast<int16_t>(keys);
    for (uint32_t i = 0; i < keys; ++i) {
        Keyframe& k = st.keys[i];
        k.frame = r.I32();
        for (int16_t* v : {&k.actor, &k.x, &k.y, &k.angle, &k.scale}) *v = r.I16();
        if (!Within(k.frame, 0, 65535) || !Within(k.actor, 0, kActorCapacity - 1)) return false;
    }
    return r.Done();
}

struct SectionRule {
    char tag[5];
    bool (*read)(Reader& r, Staged& s);
    const char* refusal;
};

static const SectionRule kSections[] = {
    {"SCRN", ReadScreens, "the screen values are out of range"},
    {"EDIT", ReadEditor,  "the editor values are out of range"},
    {"COLR", ReadColour,  "the colour values are out of range"},
    {"DRAW", ReadDrawing, "the edited drawing is damaged"},
    {"LIBR", ReadLibrary, "the library is damaged"},
    {"STAG", ReadStage,   "the stage is damaged"},
};
constexpr int kSectionCount = sizeof kSections / sizeof kSections[0];

// The canvas mode and the pick list of the screen the state opens on, as
// entering it would build them, but with every value kept as it was.
void RestoreScreenDerivedState() {
    if (controls.mode == kModeDrawing) {
        RefreshToolPicks();
        return;
    }
    ui.canvas_mode = kCanvasNone;
    if (controls.mode == kModeAnimation) RefreshActorPicks(stage);
}

// Puts the staged state in place and rebuilds what the screens derive from it.
static void Apply(const Staged& s) {
    controls = s.controls;
    stage_screen = s.stage_screen;
    ResetEditor();  // the fixed view, no refusal cue
    editor.tool = s.editor.tool;
    editor.current_slot = s.editor.current_slot;
    editor.next_new_slot = s.editor.next_new_slot;
    editor.drawing_slot = s.editor.drawing_slot;
    editor.selected_shape = s.editor.selected_shape;
    editor.selected_vertex = s.editor.selected_vertex;
    current_colour = s.colour;
    picker = s.picker;
    ui.stroke_colour = current_colour;

    std::memcpy(drawing.vertices, s.drawing.vertices, s.drawing.vertex_count * sizeof(Vertex));
    std::memcpy(drawing.shapes, s.drawing.shapes, s.drawing.shape_count * sizeof(ShapeRecord));
    drawing.vertex_count = s.drawing.vertex_count;
    drawing.shape_count = s.drawing.shape_count;

    // Slot pointers move from the staging arena into the library's own.
    std::memcpy(library.arena, s.library.arena, s.library.used);
    library.used = s.library.used;
    library.slot_count = s.library.slot_count;
    for (int i = 0; i < kSlotCount; ++i) {
        const LibrarySlot& from = s.library.slots[i];
        library.slots[i] = i < s.library.slot_count
                               ? LibrarySlot{library.arena + (from.data - s.library.arena), from.size}
                               : LibrarySlot{nullptr, 0};
    }

    stage.actor_count = s.stage.actor_count;
    std::memcpy(stage.actors, s.stage.actors, sizeof stage.actors);
    stage.key_count = s.stage.key_count;
    std::memcpy(stage.keys, s.stage.keys, sizeof stage.keys);

    RestoreScreenDerivedState();
}

bool ReadWorkspace(const uint8_t* data, size_t size, const char** why) {
    static const char* ignored;
    if (why == nullptr) why = &ignored;
    if (data == nullptr || size < 8 || std::memcmp(data, kMagic, 4) != 0) {
        *why = "not a workspace file";
        return false;
    }
    Reader header = {data, size, 4, true};
    const uint32_t version = header.U16();
    const uint32_t flags = header.U16();
    if (version == 0 || flags != 0) {
        *why = "not a workspace file";
        return false;
    }
    if (version > kWorkspaceVersion) {
        *why = "it was written by a newer version of the program";
        return false;
    }
    bool seen[kSectionCount] = {};
    size_t at = header.at;
    while (at < size) {
        Reader frame = {data, size, at, true};
        const uint8_t* tag = frame.Bytes(4);
        const uint32_t length = frame.U32();
        const uint8_t* payload = frame.Bytes(length);
        const uint32_t crc = frame.U32();
        if (!frame.ok) {
            *why = "it is cut short";
            return false;
        }
        if (Crc32(0, payload, length) != crc) {
            *why = "a checksum does not match (the file is damaged)";
            return false;
        }
        int k = 0;
        while (k < kSectionCount && std::memcmp(tag, kSections[k].tag, 4) != 0) ++k;
        if (k == kSectionCount || seen[k]) {
            *why = "it holds an unknown or repeated section";
            return false;
        }
        seen[k] = true;
        Reader body = {payload, length, 0, true};
        if (!kSections[k].read(body, staged)) {
            *why = kSections[k].refusal;
            return false;
        }
        at = frame.at;
    }
    for (int k = 0; k < kSectionCount; ++k) {
        if (!seen[k]) {
            *why = "a section is missing";
            return false;
        }
    }
    Apply(staged);
    return true;
}
