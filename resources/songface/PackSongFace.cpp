// Build-time tool: finishes the 12-pixel Song face repacked from the machine's PCF bitmap font
// into an OpenType bitmap font (by fonttosfnt), and proves the repacked face draws exactly as
// the original.
//
//   corvina_songface ORIGINAL.pcf CONVERTED.otb OUT.otb
//
// Why repack: FreeType reads a PCF font's metrics for all of its 30,000 glyphs into memory when
// the face is opened (0.8 MiB of heap for the 12-pixel Song face) and the pages it reads stay
// resident; an OpenType bitmap font keeps only a small index and reads each glyph when drawn.
//
// fonttosfnt runs with full horizontal metrics (-m 2): with its default of one advance for all
// glyphs, fontconfig takes the face for a monospaced one. What it still leaves for us to set
// right, so that fontconfig and Qt take the repacked face for what the original is:
// - the strike's line metrics come from the tallest glyph, not from the font's ascent and
//   descent, so text would sit lower than with the original;
// - the weight says Medium where fontconfig reads the original as Regular, and a face of
//   another weight loses to the family's 13-pixel strike when Qt matches a normal font.
// Then every glyph of the original is compared with the repacked one: advance, placement and
// pixels. When anything differs, or a font cannot be read, OUT.otb is left empty and the player
// keeps drawing with the original; the build goes on. OUT.otb is replaced by a rename, which
// tells fontconfig's cache that the folder changed.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

std::uint32_t readU32(const Bytes& b, std::size_t at) {
    return std::uint32_t(b[at]) << 24 | std::uint32_t(b[at + 1]) << 16 |
           std::uint32_t(b[at + 2]) << 8 | std::uint32_t(b[at + 3]);
}

std::uint16_t readU16(const Bytes& b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] << 8 | b[at + 1]);
}

void writeU32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<unsigned char>(v >> (24 - 8 * i));
}

void writeU16(Bytes& b, std::size_t at, std::uint32_t v) {
    b[at] = static_cast<unsigned char>(v >> 8);
    b[at + 1] = static_cast<unsigned char>(v);
}

// The OpenType checksum: the sum of big-endian 32-bit words, the last one padded with zeros.
std::uint32_t checksum(const Bytes& b, std::size_t at, std::size_t length) {
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < length; i += 4) {
        std::uint32_t word = 0;
        for (std::size_t k = 0; k < 4; ++k)
            word = word << 8 | (i + k < length ? b[at + i + k] : 0u);
        sum += word;
    }
    return sum;
}

struct Table {
    std::size_t record;  // where its entry in the table directory starts
    std::size_t offset;
    std::size_t length;
};

std::optional<Table> findTable(const Bytes& font, const char (&tag)[5]) {
    if (font.size() < 12) return std::nullopt;
    const std::size_t count = readU16(font, 4);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t record = 12 + 16 * i;
        if (record + 16 > font.size()) return std::nullopt;
        if (std::equal(tag, tag + 4, font.begin() + static_cast<std::ptrdiff_t>(record))) {
            const Table t{record, readU32(font, record + 8), readU32(font, record + 12)};
            if (t.offset > font.size() || t.length > font.size() - t.offset) return std::nullopt;
            return t;
        }
    }
    return std::nullopt;
}

struct Faces {
    FT_Library library = nullptr;
    FT_Face original = nullptr;
    FT_Face repacked = nullptr;
    ~Faces() {
        for (FT_Face face : {original, repacked})
            if (face) FT_Done_Face(face);
        if (library) FT_Done_FreeType(library);
    }
};

bool openStrike(FT_Library library, const Bytes* memory, const char* path, FT_Face* face) {
    const FT_Error error = memory
                               ? FT_New_Memory_Face(library, memory->data(),
                                                    static_cast<FT_Long>(memory->size()), 0, face)
                               : FT_New_Face(library, path, 0, face);
    return !error && (*face)->num_fixed_sizes == 1 && !FT_Select_Size(*face, 0);
}

// The converted font with the original's line metrics and weight, its checksums made right.
std::optional<Bytes> finish(Bytes font, FT_Face original) {
    const auto eblc = findTable(font, "EBLC");
    const auto os2 = findTable(font, "OS/2");
    const auto head = findTable(font, "head");
    if (!eblc || !os2 || !head || eblc->length < 8 + 48 || os2->length < 6 || head->length < 12 ||
        readU32(font, eblc->offset + 4) != 1)
        return std::nullopt;
    const FT_Size_Metrics& line = original->size->metrics;
    const std::size_t hori = eblc->offset + 8 + 16;  // the one strike's horizontal line metrics
    font[hori] = static_cast<unsigned char>(static_cast<signed char>(line.ascender >> 6));
    font[hori + 1] = static_cast<unsigned char>(static_cast<signed char>(line.descender >> 6));
    writeU16(font, os2->offset + 4, (original->style_flags & FT_STYLE_FLAG_BOLD) ? 700 : 400);
    for (const Table& table : {*eblc, *os2})
        writeU32(font, table.record + 4, checksum(font, table.offset, table.length));
    writeU32(font, head->offset + 8, 0);
    writeU32(font, head->offset + 8, 0xB1B0AFBAu - checksum(font, 0, font.size()));
    return font;
}

// One glyph as drawn: its advance, and its pixels placed on a fixed canvas around the pen
// position. Comparing canvases rather than bitmaps ignores blank rows a converter trims.
struct Drawn {
    long advance = 0;
    std::vector<std::uint8_t> canvas;
    bool operator==(const Drawn&) const = default;
};

constexpr int kCanvas = 48;
constexpr int kOrigin = 16;

std::optional<Drawn> draw(FT_Face face, FT_ULong code) {
    if (FT_Load_Char(face, code, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO)) return std::nullopt;
    const FT_GlyphSlot slot = face->glyph;
    Drawn drawn;
    drawn.advance = slot->advance.x;
    drawn.canvas.assign(kCanvas * kCanvas, 0);
    const FT_Bitmap& bitmap = slot->bitmap;
    for (unsigned y = 0; y < bitmap.rows; ++y)
        for (unsigned x = 0; x < bitmap.width; ++x) {
            const unsigned char* row = bitmap.buffer + static_cast<long>(y) * bitmap.pitch;
            const bool on = bitmap.pixel_mode == FT_PIXEL_MODE_MONO
                                ? (row[x / 8] >> (7 - x % 8)) & 1
                                : row[x] != 0;
            if (!on) continue;
            const int cx = kOrigin + slot->bitmap_left + static_cast<int>(x);
            const int cy = kOrigin + 16 - slot->bitmap_top + static_cast<int>(y);
            if (cx < 0 || cy < 0 || cx >= kCanvas || cy >= kCanvas) return std::nullopt;
            drawn.canvas[static_cast<std::size_t>(cy * kCanvas + cx)] = 1;
        }
    return drawn;
}

// Every character of the original draws the same in the repacked face, and the line metrics
// agree. Prints the first difference found.
bool drawsAlike(FT_Face original, FT_Face repacked) {
    const FT_Size_Metrics& a = original->size->metrics;
    const FT_Size_Metrics& b = repacked->size->metrics;
    if (a.ascender != b.ascender || a.descender != b.descender || a.height != b.height ||
        a.y_ppem != b.y_ppem) {
        std::fprintf(stderr, "line metrics differ: ascender %ld/%ld descender %ld/%ld\n",
                     a.ascender >> 6, b.ascender >> 6, a.descender >> 6, b.descender >> 6);
        return false;
    }
    long count = 0;
    FT_UInt index = 0;
    for (FT_ULong code = FT_Get_First_Char(original, &index); index != 0;
         code = FT_Get_Next_Char(original, code, &index)) {
        const auto want = draw(original, code);
        if (!want) continue;  // nothing to compare against
        const auto got = FT_Get_Char_Index(repacked, code) ? draw(repacked, code) : std::nullopt;
        if (!got || !(*got == *want)) {
            std::fprintf(stderr, "U+%04lX draws differently\n", code);
            return false;
        }
        ++count;
    }
    return count > 0;
}

std::optional<Bytes> readFile(const char* path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// An empty OUT.otb tells the player there is no repacked face.
int withoutFace(const char* out, const char* why) {
    std::fprintf(stderr, "corvina_songface: %s; the Song face is not repacked\n", why);
    std::remove(out);
    std::ofstream(out, std::ios::binary | std::ios::trunc);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s ORIGINAL.pcf CONVERTED.otb OUT.otb\n", argv[0]);
        return 2;
    }
    const char* out = argv[3];
    Faces faces;
    const auto converted = readFile(argv[2]);
    if (!converted || FT_Init_FreeType(&faces.library) ||
        !openStrike(faces.library, nullptr, argv[1], &faces.original))
        return withoutFace(out, "the fonts cannot be read");
    const auto font = finish(*converted, faces.original);
    if (!font || !openStrike(faces.library, &*font, nullptr, &faces.repacked))
        return withoutFace(out, "the converted font is not a one-strike bitmap font");
    if (!drawsAlike(faces.original, faces.repacked))
        return withoutFace(out, "the repacked face does not draw like the original");
    const std::string partial = std::string(out) + ".part";
    std::ofstream file(partial, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(font->data()),
               static_cast<std::streamsize>(font->size()));
    file.close();
    if (!file || std::rename(partial.c_str(), out) != 0) {
        std::remove(partial.c_str());
        return withoutFace(out, "the repacked face cannot be written");
    }
    return 0;
}
