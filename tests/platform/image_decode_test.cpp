// PNG decoding: every colour type and depth ends as 8-bit RGB rows, a shot
// too; damaged, foreign and oversized input is refused.
#include <gtest/gtest.h>
#include <png.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/headless.h"
#include "platform/host_files.h"
#include "support/test_files.h"

namespace {

// A PNG of the given layout, samples in the file's own channels and depth;
// palette images get a palette of (i, 255 - i, 3i) and a tRNS chunk.
std::string EncodePng(int width, int height, int type, int depth, const std::vector<uint16_t>& samples) {
    std::string bytes;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &bytes, [](png_structp p, png_bytep data, png_size_t n) {
        static_cast<std::string*>(png_get_io_ptr(p))->append(reinterpret_cast<const char*>(data), n);
    }, [](png_structp) {});
    png_set_IHDR(png, info, width, height, depth, type, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_color> palette;
    for (int i = 0; i < 256; ++i) palette.push_back({png_byte(i), png_byte(255 - i), png_byte(3 * i)});
    const uint8_t alpha[2] = {0, 128};
    png_color_16 zero = {};
    if (type == PNG_COLOR_TYPE_PALETTE) png_set_PLTE(png, info, palette.data(), 1 << depth);
    if (!(type & PNG_COLOR_MASK_ALPHA)) png_set_tRNS(png, info, alpha, 2, &zero);
    png_write_info(png, info);
    if (depth < 8) png_set_packing(png);
    if (depth == 16) png_set_swap(png);  // the rows hold native 16-bit values
    const int sample_bytes = depth == 16 ? 2 : 1;
    const size_t row_bytes = size_t(width) * png_get_channels(png, info) * sample_bytes;
    std::vector<uint8_t> image(row_bytes * height);
    for (size_t i = 0; i < samples.size(); ++i) std::memcpy(&image[i * sample_bytes], &samples[i], sample_bytes);
    std::vector<png_bytep> rows(height);
    for (int y = 0; y < height; ++y) rows[y] = image.data() + row_bytes * y;
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return bytes;
}

// The decoded width and bytes, or nothing when refused.
std::vector<uint8_t> Decode(const std::string& bytes) {
    DecodedImage image;
    if (!DecodeImageMemory(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &image)) return {};
    std::vector<uint8_t> out = {uint8_t(image.width)};
    out.insert(out.end(), image.rgb, image.rgb + image.width * image.height * 3);
    FreeDecodedImage(&image);
    return out;
}

}  // namespace

// Lower depths scale to 0..255, 16-bit samples keep their high byte (0x12FF
// gives 0x12, not 0x13), palettes are looked up, alpha and tRNS are ignored.
TEST(DecodeImage, EveryColourTypeAndDepthBecomesRgb) {
    const struct { int w, h, type, depth; std::vector<uint16_t> samples; std::vector<uint8_t> rgb; } rows[] = {
        {3, 1, PNG_COLOR_TYPE_GRAY, 2, {1, 2, 3}, {3, 85, 85, 85, 170, 170, 170, 255, 255, 255}},
        {2, 1, PNG_COLOR_TYPE_GRAY, 16, {0x12FF, 0xFF00}, {2, 0x12, 0x12, 0x12, 0xFF, 0xFF, 0xFF}},
        {2, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 8, {10, 0, 200, 99}, {2, 10, 10, 10, 200, 200, 200}},
        {2, 1, PNG_COLOR_TYPE_RGB_ALPHA, 16, {0x900, 0x800, 0x7FF, 0, 0x5A00, 0x5000, 0x4600, 0xFFFF}, {2, 9, 8, 7, 90, 80, 70}},
        {2, 1, PNG_COLOR_TYPE_RGB, 16, {0, 0, 0, 0x12FF, 0x5678, 0x9ABC}, {2, 0, 0, 0, 0x12, 0x56, 0x9A}},
        {3, 1, PNG_COLOR_TYPE_PALETTE, 1, {1, 0, 1}, {3, 1, 254, 3, 0, 255, 0, 1, 254, 3}},
        {2, 1, PNG_COLOR_TYPE_PALETTE, 8, {0, 80}, {2, 0, 255, 0, 80, 175, 240}},
    };
    for (const auto& r : rows)
        EXPECT_EQ(Decode(EncodePng(r.w, r.h, r.type, r.depth, r.samples)), r.rgb) << "type " << r.type << ", depth " << r.depth;
}

TEST(DecodeImage, DamagedForeignAndOversizedInputAndFilesAreRefused) {
    const std::string good = EncodePng(3, 2, PNG_COLOR_TYPE_RGB, 8, std::vector<uint16_t>(18, 7));
    ASSERT_EQ(Decode(good), std::vector<uint8_t>({3, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7}));
    std::string header = good, data = good;
    header[18] ^= 0x01;                  // inside the header's width
    data[good.size() - 12 - 6] ^= 0x40;  // inside the last pixel data
    const std::string refused[] = {good.substr(0, 4), good.substr(0, 20), good.substr(0, good.size() / 2),
                                   good.substr(0, good.size() - 12), good.substr(0, good.size() - 1), header, data,
                                   good.substr(0, 4) + "this is not a PNG at all",
                                   EncodePng(5000, 1, PNG_COLOR_TYPE_GRAY, 1, std::vector<uint16_t>(5000)),
                                   EncodePng(1, 4097, PNG_COLOR_TYPE_GRAY, 8, std::vector<uint16_t>(4097))};
    for (const std::string& bytes : refused) EXPECT_EQ(Decode(bytes), std::vector<uint8_t>()) << bytes.size() << " bytes";
    EXPECT_EQ(Decode(EncodePng(4096, 1, PNG_COLOR_TYPE_GRAY, 8, std::vector<uint16_t>(4096, 77))).at(4095 * 3 + 1), 77);
}

// A frame shot as the headless runner writes it reads back as 240 x 320 RGB,
// each channel's top bits with the low bits zero (r << 3, g << 2, b << 3);
// a file missing, not an image, a folder or never written is refused.
TEST(DecodeImage, AShotReadsBackAndOtherFilesAreRefused) {
    TemporaryFolder folder;
    std::vector<uint16_t> frame(240 * 320, 0);
    frame[0] = 0xF800, frame[1] = 0x07E0, frame[2] = 0x001F, frame.back() = 0xFFFF;
    ASSERT_TRUE(WriteFramePng(frame.data(), (folder.Path() + "/frame.png").c_str()));
    const uint8_t rgb[3] = {1, 2, 3};
    EXPECT_FALSE(EncodePngFile((folder.Path() + "/flat.png").c_str(), 1, 0, rgb));
    ASSERT_TRUE(WriteFile(folder.Path() + "/notes.png", "not an image"));
    SetDeviceRoot(folder.Path().c_str());
    DecodedImage image;
    ASSERT_TRUE(DecodeImageFile("\\frame.png", &image));
    EXPECT_EQ(std::pair(image.width, image.height), std::pair(240, 320));
    std::vector<uint8_t> seen(image.rgb, image.rgb + 12);
    seen.insert(seen.end(), image.rgb + 240 * 320 * 3 - 3, image.rgb + 240 * 320 * 3);  // the last pixel
    EXPECT_EQ(seen, (std::vector<uint8_t>{248, 0, 0, 0, 252, 0, 0, 0, 248, 0, 0, 0, 248, 252, 248}));
    FreeDecodedImage(&image);
    for (const char* path : {"\\missing.png", "\\notes.png", "\\", "\\flat.png"}) EXPECT_FALSE(DecodeImageFile(path, &image)) << path;
}
