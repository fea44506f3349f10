// Builds the glyph table from the pictures in font_glyphs.inc at compile time.
// Each entry is 13 bytes: the last column index (signed 8-bit), then the 12
// rows top to bottom with column 0 in bit 7.
#include <array>
#include <cstdint>

#include "raster/font.h"

namespace {

constexpr int kFirstCode = 33;
constexpr int kRows = 12;
constexpr int kBitColumns = 8;  // a row byte holds columns 0..7
constexpr int kMarkRows = 3;

// Consecutive codes from first_code, drawn side by side.
struct GlyphStrip {
    int first_code;
    const char* rows[kRows];
};

enum Mark {
    kGrave,
    kAcute,
    kCircumflex3,
    kCircumflex4,
    kTilde5,
    kTilde6,
    kDieresis3,
    kDieresis4,
    kRing,
    kCedilla,
    kMarkCount
};

// How a base letter makes room for its mark.
enum Fit {
    kAsIs,     // unchanged (marks below the baseline)
    kSmall,    // rows 0..3 cleared
    kCapital,  // rows 1..9 squeezed into rows 3..9
};

struct Composite {
    int code;
    int advance;
    int base;  // a code drawn in a strip
    int base_dx;
    Fit fit;
    Mark mark;
    int mark_dx;
    int mark_top;
};

struct CodeRange {
    int first;
    int last;
};

#include "raster/font_glyphs.inc"

// ---------------------------------------------------------------------------
// The compile-time builder. Any fault in the pictures stops the build through
// the static_asserts below rather than producing a wrong table.

enum class FontError {
    kNone,
    kRaggedPicture,   // rows of unequal length or misplaced separators
    kBadCharacter,    // something other than '#', '.' or a separator
    kInkOutside,      // ink beyond the advance, column 7 or row 11
    kBadAdvance,      // an empty glyph or an advance the byte cannot hold
    kCodeOutOfRange,  // a code outside 33..255
    kGivenTwice,
    kMissing,
    kBadBase,         // a composite built on a code that no strip draws
    kMarkCount,       // the mark strip does not hold one picture per mark
};

struct Glyph {
    int advance = 0;
    uint8_t rows[kRows] = {};
    bool given = false;
    bool composed = false;
};

struct MarkPicture {
    int start = 0;  // first column in the mark strip
    int width = 0;
};

struct FontBuild {
    Glyph glyphs[kGlyphCount];
    MarkPicture marks[kMarkCount];
    FontError error = FontError::kNone;
};

constexpr int Length(const char* text) {
    int n = 0;
    while (text[n] != '\0') ++n;
    return n;
}

constexpr void Fail(FontBuild& b, FontError error) {
    if (b.error == FontError::kNone) b.error = error;
}

// Sets column `column` of a glyph row, refusing ink the table cannot show or
// the drawing loops would never reach.
constexpr void SetInk(FontBuild& b, Glyph& g, int row, int column) {
    if (row < 0 || row >= kRows || column < 0 || column >= kBitColumns ||
        column >= g.advance) {
        Fail(b, FontError::kInkOutside);
        return;
    }
    g.rows[row] = static_cast<uint8_t>(g.rows[row] | (0x80 >> column));
}

constexpr void Store(FontBuild& b, int code, const Glyph& g) {
    if (code < kFirstCode || code > 255) {
        Fail(b, FontError::kCodeOutOfRange);
        return;
    }
    Glyph& slot = b.glyphs[code - kFirstCode];
    if (slot.given) Fail(b, FontError::kGivenTwice);
    slot = g;
    slot.given = true;
}

// Splits a picture strip at the separator columns of its first row; every
// other row must have its separators in the same columns. Calls take(start,
// width) for each picture in turn and returns the number of pictures.
template <typename Take>
constexpr int SplitStrip(FontBuild& b, const char* const* rows, int row_count, Take take) {
    const int length = Length(rows[0]);
    for (int r = 1; r < row_count; ++r) {
        if (Length(rows[r]) != length) Fail(b, FontError::kRaggedPicture);
    }
    if (b.error != FontError::kNone) return 0;
    int count = 0;
    int start = 0;
    while (start <= length) {
        int end = start;
        while (end < length && rows[0][end] != ' ') ++end;
        for (int r = 0; r < row_count; ++r) {
            if (end < length && rows[r][end] != ' ') Fail(b, FontError::kRaggedPicture);
            for (int c = start; c < end; ++c) {
                if (rows[r][c] != '#' && rows[r][c] != '.') Fail(b, FontError::kBadCharacter);
            }
        }
        // An advance of 1..128 keeps the last column index a signed byte.
        if (end == start || end - start > 128) Fail(b, FontError::kBadAdvance);
        take(start, end - start);
        ++count;
        start = end + 1;
    }
    return count;
}

constexpr void AddStrip(FontBuild& b, const GlyphStrip& strip) {
    int code = strip.first_code;
    SplitStrip(b, strip.rows, kRows, [&](int start, int width) {
        Glyph g;
        g.advance = width;
        for (int r = 0; r < kRows; ++r) {
            for (int c = 0; c < width; ++c) {
                if (strip.rows[r][start + c] == '#') SetInk(b, g, r, c);
            }
        }
        Store(b, code, g);
        ++code;
    });
}

constexpr void ReadMarks(FontBuild& b) {
    int index = 0;
    const int count = SplitStrip(b, kMarkStrip, kMarkRows, [&](int start, int width) {
        if (index < kMarkCount) b.marks[index] = MarkPicture{start, width};
        ++index;
    });
    if (b.error == FontError::kNone && count != kMarkCount) Fail(b, FontError::kMarkCount);
}

// Drops two rows of a capital (rows 1..9) and moves the rest to rows 3..9.
// Each dropped row is taken from the longest run of equal rows (the first
// such run on a tie), so stems and bowls shorten while strokes that change
// from row to row (diagonals, bars) keep their shape.
constexpr void SqueezeCapital(uint8_t rows[kRows]) {
    uint8_t body[9] = {};
    int n = 9;
    for (int i = 0; i < n; ++i) body[i] = rows[1 + i];
    for (int drop = 0; drop < 2; ++drop) {
        int victim = n / 2;  // no repeated rows: lose the middle one
        int best_length = 1;
        for (int i = 0; i < n;) {
            int j = i;
            while (j + 1 < n && body[j + 1] == body[i]) ++j;
            if (j - i + 1 > best_length) {
                best_length = j - i + 1;
                victim = i;
            }
            i = j + 1;
        }
        for (int i = victim; i + 1 < n; ++i) body[i] = body[i + 1];
        --n;
    }
    for (int r = 0; r < 3; ++r) rows[r] = 0;
    for (int i = 0; i < n; ++i) rows[3 + i] = body[i];
}

constexpr void AddComposite(FontBuild& b, const Composite& composite) {
    if (composite.base < kFirstCode || composite.base > 255) {
        Fail(b, FontError::kBadBase);
        return;
    }
    const Glyph& base = b.glyphs[composite.base - kFirstCode];
    if (!base.given || base.composed) {
        Fail(b, FontError::kBadBase);
        return;
    }
    uint8_t base_rows[kRows] = {};
    for (int r = 0; r < kRows; ++r) base_rows[r] = base.rows[r];
    if (composite.fit == kCapital) SqueezeCapital(base_rows);
    if (composite.fit == kSmall) {
        for (int r = 0; r < 4; ++r) base_rows[r] = 0;
    }

    Glyph g;
    g.advance = composite.advance;
    g.composed = true;
    for (int r = 0; r < kRows; ++r) {
        for (int c = 0; c < kBitColumns; ++c) {
            if (base_rows[r] & (0x80 >> c)) SetInk(b, g, r, c + composite.base_dx);
        }
    }
    const MarkPicture& mark = b.marks[composite.mark];
    for (int r = 0; r < kMarkRows; ++r) {
        for (int c = 0; c < mark.width; ++c) {
            if (kMarkStrip[r][mark.start + c] == '#') {
                SetInk(b, g, composite.mark_top + r, composite.mark_dx + c);
            }
        }
    }
    Store(b, composite.code, g);
}

constexpr FontBuild BuildFont() {
    FontBuild b;
    for (const GlyphStrip& strip : kGlyphStrips) AddStrip(b, strip);
    ReadMarks(b);
    if (b.error != FontError::kNone) return b;
    for (const Composite& composite : kComposites) AddComposite(b, composite);
    const Glyph placeholder = b.glyphs[127 - kFirstCode];
    if (!placeholder.given) Fail(b, FontError::kMissing);
    for (const CodeRange& range : kPlaceholders) {
        for (int code = range.first; code <= range.last; ++code) Store(b, code, placeholder);
    }
    for (const Glyph& g : b.glyphs) {
        if (!g.given) Fail(b, FontError::kMissing);
    }
    return b;
}

constexpr FontBuild kFont = BuildFont();

static_assert(kFont.error != FontError::kRaggedPicture,
              "font picture rows differ in length or separator columns");
static_assert(kFont.error != FontError::kBadCharacter, "font pictures use only '#', '.' and ' '");
static_assert(kFont.error != FontError::kInkOutside,
              "glyph ink lies beyond its advance, column 7 or row 11");
static_assert(kFont.error != FontError::kBadAdvance, "a glyph picture is empty or too wide");
static_assert(kFont.error != FontError::kCodeOutOfRange, "a glyph code lies outside 33..255");
static_assert(kFont.error != FontError::kGivenTwice, "a glyph code is given twice");
static_assert(kFont.error != FontError::kMissing, "a glyph code between 33 and 255 is missing");
static_assert(kFont.error != FontError::kBadBase, "a composite letter names no drawn base glyph");
static_assert(kFont.error != FontError::kMarkCount, "the mark strip needs one picture per mark");
static_assert(kFont.error == FontError::kNone);

constexpr std::array<uint8_t, kGlyphCount * kGlyphBytes> TableBytes(const FontBuild& b) {
    std::array<uint8_t, kGlyphCount * kGlyphBytes> bytes = {};
    for (int g = 0; g < kGlyphCount; ++g) {
        bytes[g * kGlyphBytes] = static_cast<uint8_t>(b.glyphs[g].advance - 1);
        for (int r = 0; r < kRows; ++r) bytes[g * kGlyphBytes + 1 + r] = b.glyphs[g].rows[r];
    }
    return bytes;
}

constexpr std::array<uint8_t, kGlyphCount * kGlyphBytes> kBytes = TableBytes(kFont);

}  // namespace

// A plain array can only be initialised from a brace list, so the built bytes
// are spelt out one glyph (13 bytes) at a time.
#define KN_GLYPH(g)                                                                         \
    kBytes[(g) * 13 + 0], kBytes[(g) * 13 + 1], kBytes[(g) * 13 + 2], kBytes[(g) * 13 + 3], \
        kBytes[(g) * 13 + 4], kBytes[(g) * 13 + 5], kBytes[(g) * 13 + 6],                   \
        kBytes[(g) * 13 + 7], kBytes[(g) * 13 + 8], kBytes[(g) * 13 + 9],                   \
        kBytes[(g) * 13 + 10], kBytes[(g) * 13 + 11], kBytes[(g) * 13 + 12]
#define KN_GLYPHS_10(g)                                                                     \
    KN_GLYPH((g) + 0), KN_GLYPH((g) + 1), KN_GLYPH((g) + 2), KN_GLYPH((g) + 3),             \
        KN_GLYPH((g) + 4), KN_GLYPH((g) + 5), KN_GLYPH((g) + 6), KN_GLYPH((g) + 7),         \
        KN_GLYPH((g) + 8), KN_GLYPH((g) + 9)
#define KN_GLYPHS_100(g)                                                                    \
    KN_GLYPHS_10((g) + 0), KN_GLYPHS_10((g) + 10), KN_GLYPHS_10((g) + 20),                  \
        KN_GLYPHS_10((g) + 30), KN_GLYPHS_10((g) + 40), KN_GLYPHS_10((g) + 50),             \
        KN_GLYPHS_10((g) + 60), KN_GLYPHS_10((g) + 70), KN_GLYPHS_10((g) + 80),             \
        KN_GLYPHS_10((g) + 90)

static_assert(kGlyphCount == 223 && kGlyphBytes == 13, "the spelt-out list below counts 223 x 13");

const uint8_t kGlyphTable[kGlyphCount * kGlyphBytes] = {
    KN_GLYPHS_100(0), KN_GLYPHS_100(100), KN_GLYPHS_10(200), KN_GLYPHS_10(210),
    KN_GLYPH(220),    KN_GLYPH(221),      KN_GLYPH(222),
};

#undef KN_GLYPHS_100
#undef KN_GLYPHS_10
#undef KN_GLYPH
