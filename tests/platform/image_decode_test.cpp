// PNG decoding: every colour type, depth and interlacing ends as 8-bit RGB
// rows; damaged, foreign and oversized input is refused.
#include <gtest/gtest.h>
#include <png.h>
#include <sys/stat.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/host_files.h"
#include "support/test_files.h"

namespace {

// A PNG to write: samples per pixel in the file's own channel layout and
// depth; a palette, or tRNS marking sample value 0 transparent.
struct PngPlan {
    int width, height, colour_type, depth;
    std::vector<uint16_t> samples;
    std::vector<uint8_t> expected_rgb;
    bool interlaced = false;
    std::vector<png_color> palette = {};
    std::vector<uint8_t> palette_alpha = {};
    bool zero_transparent = false;
};

void Append(png_structp png, png_bytep data, png_size_t length) {
    static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), length);
}

std::string EncodePng(const PngPlan& plan) {
    std::string bytes;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &bytes, Append, [](png_structp) {});
    png_set_IHDR(png, info, plan.width, plan.height, plan.depth, plan.colour_type,
                 plan.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!plan.palette.empty()) png_set_PLTE(png, info, plan.palette.data(), static_cast<int>(plan.palette.size()));
    png_color_16 zero = {};
    if (!plan.palette_alpha.empty() || plan.zero_transparent)
        png_set_tRNS(png, info, plan.palette_alpha.data(), static_cast<int>(plan.palette_alpha.size()), &zero);
    png_write_info(png, info);
    if (plan.depth < 8) png_set_packing(png);
    if (plan.depth == 16) png_set_swap(png);  // the rows hold native 16-bit values
    const int sample_bytes = plan.depth == 16 ? 2 : 1;
    const size_t row_bytes = size_t(plan.width) * png_get_channels(png, info) * sample_bytes;
    std::vector<uint8_t> image(row_bytes * plan.height);
    for (size_t i = 0; i < plan.samples.size(); ++i) std::memcpy(&image[i * sample_bytes], &plan.samples[i], sample_bytes);
    std::vector<png_bytep> rows(plan.height);
    for (int y = 0; y < plan.height; ++y) rows[y] = image.data() + row_bytes * y;
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return bytes;
}

// The decoded bytes, or "refused".
std::vector<uint8_t> Decode(const std::string& bytes, int* width = nullptr) {
    DecodedImage image;
    if (!DecodeImageMemory(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &image)) {
        EXPECT_EQ(image.rgb, nullptr);
        return {'r', 'e', 'f', 'u', 's', 'e', 'd'};
    }
    std::vector<uint8_t> rgb(image.rgb, image.rgb + image.width * image.height * 3);
    if (width != nullptr) *width = image.width;
    FreeDecodedImage(&image);
    EXPECT_EQ(image.rgb, nullptr);
    return rgb;
}

}  // namespace

// Lower depths scale to 0..255, 16-bit samples keep their high byte (0x12FF
// gives 0x12, not 0x13), palettes are looked up, alpha and tRNS are ignored.
TEST(DecodeImage, EveryColourTypeAndDepthBecomesRgb) {
    std::vector<PngPlan> plans;
    for (int depth : {1, 2, 4, 8, 16}) {  // five pixels straddle the byte edges
        const int top = (1 << depth) - 1;
        PngPlan grey = {5, 1, PNG_COLOR_TYPE_GRAY, depth, {}, {}};
        for (int v : {0, top / 3, top * 2 / 3, top, 0}) {
            grey.samples.push_back(uint16_t(v));
            const uint8_t g = uint8_t(depth == 16 ? v >> 8 : v * 255 / top);
            grey.expected_rgb.insert(grey.expected_rgb.end(), {g, g, g});
        }
        plans.push_back(grey);
        if (depth == 16) continue;
        PngPlan palette = {7, 1, PNG_COLOR_TYPE_PALETTE, depth, {}, {}};
        for (int i = 0; i < (1 << depth); ++i) palette.palette.push_back({png_byte(i), png_byte(255 - i), png_byte(i * 3)});
        for (int x = 0; x < 7; ++x) {
            const int index = (x * 5) % (1 << depth);
            palette.samples.push_back(uint16_t(index));
            palette.expected_rgb.insert(palette.expected_rgb.end(), {uint8_t(index), uint8_t(255 - index), uint8_t(index * 3)});
        }
        palette.palette_alpha = {0, 128};
        plans.push_back(palette);
    }
    for (int d : {8, 16}) {
        auto at = [d](std::vector<uint16_t> bytes) {
            for (uint16_t& b : bytes) b = uint16_t(d == 16 ? b * 257 : b);
            return bytes;
        };
        plans.push_back({2, 1, PNG_COLOR_TYPE_GRAY_ALPHA, d, at({10, 0, 200, 99}), {10, 10, 10, 200, 200, 200}});
        plans.push_back({2, 1, PNG_COLOR_TYPE_RGB_ALPHA, d, at({9, 8, 7, 0, 90, 80, 70, 255}), {9, 8, 7, 90, 80, 70}});
    }
    plans.push_back({2, 1, PNG_COLOR_TYPE_RGB, 16, {0, 0, 0, 0x12FF, 0x5678, 0x9ABC}, {0, 0, 0, 0x12, 0x56, 0x9A}});
    plans.back().zero_transparent = true;
    plans.push_back({1, 2, PNG_COLOR_TYPE_GRAY, 4, {0, 15}, {0, 0, 0, 255, 255, 255}});
    plans.back().zero_transparent = true;
    // Interlaced: 11 x 9 has every Adam7 pass, with partial blocks at the edges.
    for (int type : {PNG_COLOR_TYPE_RGB, PNG_COLOR_TYPE_GRAY}) {
        PngPlan plan = {11, 9, type, 8, {}, {}};
        plan.interlaced = true;
        for (int i = 0; i < 99; ++i) {
            const uint8_t r = uint8_t(i % 11 * 23), g = uint8_t(i / 11 * 29), b = uint8_t(i % 11 + i / 11);
            if (type == PNG_COLOR_TYPE_GRAY) {
                plan.samples.push_back(r);
                plan.expected_rgb.insert(plan.expected_rgb.end(), {r, r, r});
            } else {
                plan.samples.insert(plan.samples.end(), {r, g, b});
                plan.expected_rgb.insert(plan.expected_rgb.end(), {r, g, b});
            }
        }
        plans.push_back(plan);
    }
    for (const PngPlan& plan : plans) {
        int width = 0;
        EXPECT_EQ(Decode(EncodePng(plan), &width), plan.expected_rgb)
            << "colour type " << plan.colour_type << ", depth " << plan.depth << ", " << plan.width << " x " << plan.height;
        EXPECT_EQ(width, plan.width);
    }
}

TEST(DecodeImage, DamagedForeignAndOversizedInputIsRefused) {
    PngPlan small = {3, 2, PNG_COLOR_TYPE_RGB, 8, std::vector<uint16_t>(18, 7), std::vector<uint8_t>(18, 7)};
    const std::string good = EncodePng(small);
    ASSERT_EQ(Decode(good), small.expected_rgb);
    const std::vector<uint8_t> refused = {'r', 'e', 'f', 'u', 's', 'e', 'd'};
    // Cut short in the signature, the header, the pixel data and before the end chunk.
    for (size_t keep : {size_t{0}, size_t{4}, size_t{7}, size_t{20}, good.size() / 2, good.size() - 12, good.size() - 1})
        EXPECT_EQ(Decode(good.substr(0, keep)), refused) << "kept " << keep << " of " << good.size();
    std::string header = good, data = good;
    header[18] ^= 0x01;                 // inside the header's width
    data[good.size() - 12 - 6] ^= 0x40;  // inside the last pixel data
    EXPECT_EQ(Decode(header), refused);
    EXPECT_EQ(Decode(data), refused);
    EXPECT_EQ(Decode(good.substr(0, 4) + "this is not a PNG at all"), refused);
    DecodedImage image;
    EXPECT_FALSE(DecodeImageMemory(nullptr, 100, &image));

    EXPECT_EQ(Decode(EncodePng({5000, 1, PNG_COLOR_TYPE_GRAY, 1, std::vector<uint16_t>(5000), {}})), refused);
    EXPECT_EQ(Decode(EncodePng({1, 4097, PNG_COLOR_TYPE_GRAY, 8, std::vector<uint16_t>(4097), {}})), refused);
    PngPlan largest = {4096, 1, PNG_COLOR_TYPE_GRAY, 8, std::vector<uint16_t>(4096, 77), {}};
    largest.samples[4095] = 200;
    EXPECT_EQ(Decode(EncodePng(largest)).at(4095 * 3), 200);
}

TEST(DecodeImage, FilesAreFoundThroughTheDeviceRootAndWrittenBack) {
    TemporaryFolder folder;
    ASSERT_EQ(mkdir((folder.Path() + "/tovu").c_str(), 0755), 0);
    const uint8_t rgb[6] = {1, 2, 3, 200, 100, 50};
    ASSERT_TRUE(EncodePngFile((folder.Path() + "/tovu/skin1.png").c_str(), 1, 2, rgb));
    EXPECT_FALSE(EncodePngFile((folder.Path() + "/empty.png").c_str(), 1, 0, rgb));
    EXPECT_FALSE(EncodePngFile((folder.Path() + "/none/x.png").c_str(), 1, 2, rgb));
    ASSERT_TRUE(WriteFile(folder.Path() + "/tovu/notes.png", "not an image"));
    SetDeviceRoot(folder.Path().c_str());
    DecodedImage image;
    ASSERT_TRUE(DecodeImageFile("\\tovu\\skin1.png", &image));
    EXPECT_EQ(image.width * 10 + image.height, 12);
    EXPECT_EQ(std::vector<uint8_t>(image.rgb, image.rgb + 6), std::vector<uint8_t>(rgb, rgb + 6));
    FreeDecodedImage(&image);
    for (const char* path : {"\\tovu\\missing.png", "\\tovu\\notes.png", "\\tovu", "\\empty.png"})
        EXPECT_FALSE(DecodeImageFile(path, &image)) << path;
}
