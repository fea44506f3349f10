// PNG decoding: every colour type and depth ends as 8-bit RGB rows; damaged,
// foreign and oversized input is refused.
#include <gtest/gtest.h>
#include <png.h>
#include <sys/stat.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/host_files.h"
#include "platform/test_files.h"

namespace {

// A PNG to write: samples are given per pixel in the file's own channel
// layout, at the file's bit depth.
struct PngPlan {
    int width, height, colour_type, bit_depth;
    std::vector<uint16_t> samples;       // width * height * channels values
    bool interlaced = false;
    std::vector<png_color> palette;      // palette images
    std::vector<uint8_t> palette_alpha;  // tRNS for palette images
    bool zero_transparent = false;       // tRNS marking grey or RGB sample value 0 transparent
};

PngPlan Plan(int width, int height, int colour_type, int bit_depth, std::vector<uint16_t> samples = {}) {
    PngPlan plan;
    plan.width = width;
    plan.height = height;
    plan.colour_type = colour_type;
    plan.bit_depth = bit_depth;
    plan.samples = std::move(samples);
    return plan;
}

void AppendBytes(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::string*>(png_get_io_ptr(png));
    out->append(reinterpret_cast<const char*>(data), length);
}
void NoFlush(png_structp) {}

std::string EncodePng(const PngPlan& plan) {
    std::string bytes;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        ADD_FAILURE() << "libpng could not write the test image";
        return {};
    }
    png_set_write_fn(png, &bytes, AppendBytes, NoFlush);
    png_set_IHDR(png, info, plan.width, plan.height, plan.bit_depth, plan.colour_type,
                 plan.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!plan.palette.empty())
        png_set_PLTE(png, info, plan.palette.data(), static_cast<int>(plan.palette.size()));
    if (!plan.palette_alpha.empty())
        png_set_tRNS(png, info, plan.palette_alpha.data(), static_cast<int>(plan.palette_alpha.size()),
                     nullptr);
    if (plan.zero_transparent) {
        png_color_16 transparent = {};
        png_set_tRNS(png, info, nullptr, 0, &transparent);
    }
    png_write_info(png, info);
    if (plan.bit_depth < 8) png_set_packing(png);
    if (plan.bit_depth == 16) png_set_swap(png);  // rows below hold native 16-bit values

    const int sample_bytes = plan.bit_depth == 16 ? 2 : 1;
    const size_t row_bytes = static_cast<size_t>(plan.width) * png_get_channels(png, info) * sample_bytes;
    std::vector<uint8_t> image(row_bytes * plan.height);
    for (size_t i = 0; i < plan.samples.size(); ++i) {
        if (sample_bytes == 2)
            std::memcpy(&image[i * 2], &plan.samples[i], 2);
        else
            image[i] = static_cast<uint8_t>(plan.samples[i]);
    }
    std::vector<png_bytep> rows(plan.height);
    for (int y = 0; y < plan.height; ++y) rows[y] = image.data() + row_bytes * y;
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return bytes;
}

// The decoded picture: its size and its red, green and blue bytes.
struct Decoded {
    bool ok = false;
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;
};

Decoded Decode(const std::string& bytes) {
    Decoded d;
    DecodedImage image;
    d.ok = DecodeImageMemory(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &image);
    if (!d.ok) return d;
    d.width = image.width;
    d.height = image.height;
    d.rgb.assign(image.rgb, image.rgb + image.width * image.height * 3);
    FreeDecodedImage(&image);
    EXPECT_EQ(image.rgb, nullptr);
    return d;
}

void ExpectDecodesTo(const PngPlan& plan, const std::vector<uint8_t>& rgb, const std::string& what) {
    const Decoded d = Decode(EncodePng(plan));
    ASSERT_TRUE(d.ok) << what;
    EXPECT_EQ(d.width, plan.width) << what;
    EXPECT_EQ(d.height, plan.height) << what;
    EXPECT_EQ(d.rgb, rgb) << what;
}

// 3 x 2 pixels; the last one is (200, 55, 35).
PngPlan SmallRgb() {
    PngPlan plan = Plan(3, 2, PNG_COLOR_TYPE_RGB, 8);
    for (int i = 0; i < 6; ++i)
        plan.samples.insert(plan.samples.end(), {uint16_t(40 * i), uint16_t(255 - 40 * i), uint16_t(7 * i)});
    return plan;
}

}  // namespace

TEST(DecodeImage, GreyAtEveryDepthScalesToFullRange) {
    for (int depth : {1, 2, 4, 8, 16}) {
        const int top = (1 << depth) - 1;
        PngPlan plan = Plan(5, 1, PNG_COLOR_TYPE_GRAY, depth);
        std::vector<uint8_t> expected;
        // 0, a third, two thirds, the top value, 0 again: 5 pixels straddle byte edges.
        for (int v : {0, top / 3, top * 2 / 3, top, 0}) {
            plan.samples.push_back(static_cast<uint16_t>(v));
            // 16-bit samples keep their high byte; lower depths scale to 0..255.
            const uint8_t grey = static_cast<uint8_t>(depth == 16 ? v >> 8 : v * 255 / top);
            expected.insert(expected.end(), {grey, grey, grey});
        }
        ExpectDecodesTo(plan, expected, "grey depth " + std::to_string(depth));
    }
}

TEST(DecodeImage, AlphaAndTransparencyAreIgnoredAndSixteenBitsKeepTheHighByte) {
    for (int depth : {8, 16}) {
        auto samples = [depth](std::initializer_list<int> bytes) {
            std::vector<uint16_t> out;
            for (int b : bytes) out.push_back(static_cast<uint16_t>(depth == 16 ? b * 257 : b));
            return out;
        };
        const std::string at = " at " + std::to_string(depth) + " bits";
        ExpectDecodesTo(Plan(2, 1, PNG_COLOR_TYPE_GRAY_ALPHA, depth, samples({10, 0, 200, 99})),
                        {10, 10, 10, 200, 200, 200}, "grey+alpha" + at);
        ExpectDecodesTo(Plan(2, 1, PNG_COLOR_TYPE_RGB, depth, samples({1, 2, 3, 250, 128, 64})),
                        {1, 2, 3, 250, 128, 64}, "rgb" + at);
        ExpectDecodesTo(Plan(2, 1, PNG_COLOR_TYPE_RGB_ALPHA, depth, samples({9, 8, 7, 0, 90, 80, 70, 255})),
                        {9, 8, 7, 90, 80, 70}, "rgba" + at);
    }

    PngPlan palette = Plan(2, 1, PNG_COLOR_TYPE_PALETTE, 8, {0, 1});
    palette.palette = {{10, 20, 30}, {40, 50, 60}};
    palette.palette_alpha = {0, 128};
    ExpectDecodesTo(palette, {10, 20, 30, 40, 50, 60}, "palette tRNS");

    PngPlan grey = Plan(2, 1, PNG_COLOR_TYPE_GRAY, 4, {0, 15});
    grey.zero_transparent = true;
    ExpectDecodesTo(grey, {0, 0, 0, 255, 255, 255}, "grey tRNS");

    // 0x12FF keeps 0x12; rounding to the nearest 8-bit value would give 0x13.
    PngPlan rgb = Plan(2, 1, PNG_COLOR_TYPE_RGB, 16, {0, 0, 0, 0x12FF, 0x5678, 0x9ABC});
    rgb.zero_transparent = true;
    ExpectDecodesTo(rgb, {0, 0, 0, 0x12, 0x56, 0x9A}, "rgb16 tRNS");
}

TEST(DecodeImage, PaletteAtEveryDepthLooksUpColours) {
    for (int depth : {1, 2, 4, 8}) {
        const int entries = 1 << depth;
        PngPlan plan = Plan(7, 1, PNG_COLOR_TYPE_PALETTE, depth);
        for (int i = 0; i < entries; ++i)
            plan.palette.push_back({png_byte(i), png_byte(255 - i), png_byte(i * 3 % 256)});
        std::vector<uint8_t> expected;
        for (int x = 0; x < 7; ++x) {
            const int index = (x * 5) % entries;
            plan.samples.push_back(static_cast<uint16_t>(index));
            expected.insert(expected.end(), {uint8_t(index), uint8_t(255 - index), uint8_t(index * 3 % 256)});
        }
        ExpectDecodesTo(plan, expected, "palette depth " + std::to_string(depth));
    }
}

TEST(DecodeImage, InterlacedImagesComeOutInRowOrder) {
    // 11 x 9 covers every Adam7 pass with partial blocks at the edges.
    for (int colour_type : {PNG_COLOR_TYPE_RGB, PNG_COLOR_TYPE_GRAY}) {
        PngPlan plan = Plan(11, 9, colour_type, 8);
        plan.interlaced = true;
        std::vector<uint8_t> expected;
        for (int y = 0; y < 9; ++y) {
            for (int x = 0; x < 11; ++x) {
                const uint8_t r = uint8_t(x * 23), g = uint8_t(y * 29), b = uint8_t(x + y);
                if (colour_type == PNG_COLOR_TYPE_GRAY) {
                    plan.samples.push_back(r);
                    expected.insert(expected.end(), {r, r, r});
                } else {
                    plan.samples.insert(plan.samples.end(), {r, g, b});
                    expected.insert(expected.end(), {r, g, b});
                }
            }
        }
        ExpectDecodesTo(plan, expected, colour_type == PNG_COLOR_TYPE_GRAY ? "interlaced grey" : "interlaced rgb");
    }
}

TEST(DecodeImage, DamagedOrForeignInputIsRefused) {
    const std::string good = EncodePng(SmallRgb());
    ASSERT_TRUE(Decode(good).ok);

    // Cut short: in the header, in the pixel data, and just before the end chunk.
    for (size_t keep : {size_t{0}, size_t{7}, size_t{20}, good.size() / 2, good.size() - 12, good.size() - 1})
        EXPECT_FALSE(Decode(good.substr(0, keep)).ok) << "kept " << keep << " of " << good.size();

    // One flipped bit in the header's data, and one in the pixel data.
    std::string header_damage = good, data_damage = good;
    header_damage[18] ^= 0x01;                   // inside IHDR's width
    data_damage[good.size() - 12 - 6] ^= 0x40;  // inside the last IDAT
    EXPECT_FALSE(Decode(header_damage).ok);
    EXPECT_FALSE(Decode(data_damage).ok);

    EXPECT_FALSE(Decode("GIF89a this is not a PNG at all").ok);
    DecodedImage image;
    EXPECT_FALSE(DecodeImageMemory(nullptr, 100, &image));
    EXPECT_EQ(image.rgb, nullptr);
}

TEST(DecodeImage, OversizedHeadersAreRefused) {
    EXPECT_FALSE(Decode(EncodePng(Plan(5000, 10, PNG_COLOR_TYPE_GRAY, 1, std::vector<uint16_t>(5000 * 10)))).ok);
    EXPECT_FALSE(Decode(EncodePng(Plan(1, 4097, PNG_COLOR_TYPE_GRAY, 8, std::vector<uint16_t>(4097)))).ok);

    PngPlan largest = Plan(4096, 1, PNG_COLOR_TYPE_GRAY, 8, std::vector<uint16_t>(4096, 77));
    largest.samples[4095] = 200;
    const Decoded d = Decode(EncodePng(largest));
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.width, 4096);
    EXPECT_EQ(d.rgb[4095 * 3], 200);
}

TEST(DecodeImage, FilesAreFoundThroughTheDeviceRoot) {
    TemporaryFolder folder;
    ASSERT_EQ(mkdir((folder.Path() + "/tovu").c_str(), 0755), 0);
    ASSERT_TRUE(WriteFile(folder.Path() + "/tovu/skin1.png", EncodePng(SmallRgb())));
    ASSERT_TRUE(WriteFile(folder.Path() + "/tovu/notes.png", "not an image"));

    SetDeviceRoot(folder.Path().c_str());
    DecodedImage image;
    ASSERT_TRUE(DecodeImageFile("\\tovu\\skin1.png", &image));
    EXPECT_EQ(image.width, 3);
    EXPECT_EQ(image.height, 2);
    EXPECT_EQ(image.rgb[3 * 5 + 0], 200);  // the last pixel: 40 * 5
    FreeDecodedImage(&image);

    EXPECT_FALSE(DecodeImageFile("\\tovu\\missing.png", &image));
    EXPECT_FALSE(DecodeImageFile("\\tovu\\notes.png", &image));
    EXPECT_FALSE(DecodeImageFile("\\tovu", &image));  // a folder
}
