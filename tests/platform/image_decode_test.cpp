// PNG decoding: every colour type and depth ends as 8-bit RGB rows; damaged,
// foreign and oversized input is refused.
#include <gtest/gtest.h>
#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/host_files.h"

namespace {

// A PNG to write: samples are given per pixel in the file's own channel
// layout, at the file's bit depth.
struct PngPlan {
    int width;
    int height;
    int colour_type;
    int bit_depth;
    bool interlaced;
    std::vector<uint16_t> samples;       // width * height * channels values
    std::vector<png_color> palette;      // palette images
    std::vector<uint8_t> palette_alpha;  // tRNS for palette images
    bool grey_or_rgb_transparent;        // tRNS marking sample value 0 transparent
};

int Channels(int colour_type) {
    switch (colour_type) {
        case PNG_COLOR_TYPE_GRAY: return 1;
        case PNG_COLOR_TYPE_GRAY_ALPHA: return 2;
        case PNG_COLOR_TYPE_PALETTE: return 1;
        case PNG_COLOR_TYPE_RGB: return 3;
        default: return 4;
    }
}

void AppendBytes(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}
void NoFlush(png_structp) {}

std::vector<uint8_t> EncodePng(const PngPlan& plan) {
    std::vector<uint8_t> bytes;
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
    if (plan.grey_or_rgb_transparent) {
        png_color_16 transparent = {};
        png_set_tRNS(png, info, nullptr, 0, &transparent);
    }
    png_write_info(png, info);
    if (plan.bit_depth < 8) png_set_packing(png);
    if (plan.bit_depth == 16) png_set_swap(png);  // rows below hold native 16-bit values

    int channels = Channels(plan.colour_type);
    int sample_bytes = plan.bit_depth == 16 ? 2 : 1;
    size_t row_bytes = static_cast<size_t>(plan.width) * channels * sample_bytes;
    std::vector<uint8_t> image(row_bytes * plan.height);
    for (size_t i = 0; i < plan.samples.size(); ++i) {
        if (sample_bytes == 2) {
            uint16_t v = plan.samples[i];
            std::memcpy(&image[i * 2], &v, 2);
        } else {
            image[i] = static_cast<uint8_t>(plan.samples[i]);
        }
    }
    std::vector<png_bytep> rows(plan.height);
    for (int y = 0; y < plan.height; ++y) rows[y] = image.data() + row_bytes * y;
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return bytes;
}

struct Rgb {
    uint8_t r, g, b;
};

// Decodes and compares every pixel with the expected colours.
void ExpectDecodesTo(const std::vector<uint8_t>& bytes, int width, int height,
                     const std::vector<Rgb>& expected, const char* what) {
    DecodedImage image;
    ASSERT_TRUE(DecodeImageMemory(bytes.data(), bytes.size(), &image)) << what;
    ASSERT_EQ(image.width, width) << what;
    ASSERT_EQ(image.height, height) << what;
    for (int i = 0; i < width * height; ++i) {
        EXPECT_EQ(image.rgb[i * 3 + 0], expected[i].r) << what << " pixel " << i;
        EXPECT_EQ(image.rgb[i * 3 + 1], expected[i].g) << what << " pixel " << i;
        EXPECT_EQ(image.rgb[i * 3 + 2], expected[i].b) << what << " pixel " << i;
    }
    FreeDecodedImage(&image);
    EXPECT_EQ(image.rgb, nullptr);
}

bool Decodes(const std::vector<uint8_t>& bytes) {
    DecodedImage image;
    bool ok = DecodeImageMemory(bytes.data(), bytes.size(), &image);
    if (ok) FreeDecodedImage(&image);
    return ok;
}

PngPlan SmallRgb() {
    PngPlan plan = {3, 2, PNG_COLOR_TYPE_RGB, 8, false, {}, {}, {}, false};
    for (int i = 0; i < 6; ++i) {
        plan.samples.push_back(static_cast<uint16_t>(40 * i));
        plan.samples.push_back(static_cast<uint16_t>(255 - 40 * i));
        plan.samples.push_back(static_cast<uint16_t>(7 * i));
    }
    return plan;
}

}  // namespace

TEST(DecodeImage, GreyAtEveryDepthScalesToFullRange) {
    for (int depth : {1, 2, 4, 8, 16}) {
        int top = (1 << depth) - 1;
        PngPlan plan = {5, 1, PNG_COLOR_TYPE_GRAY, depth, false, {}, {}, {}, false};
        // 0, a third, two thirds, the top value, 0 again: 5 pixels straddle byte edges.
        const int values[] = {0, top / 3, top * 2 / 3, top, 0};
        std::vector<Rgb> expected;
        for (int v : values) {
            plan.samples.push_back(static_cast<uint16_t>(v));
            // 16-bit samples keep their high byte; lower depths scale to 0..255.
            int grey = depth == 16 ? v >> 8 : v * 255 / top;
            expected.push_back({static_cast<uint8_t>(grey), static_cast<uint8_t>(grey),
                                static_cast<uint8_t>(grey)});
        }
        ExpectDecodesTo(EncodePng(plan), 5, 1, expected, ("grey depth " + std::to_string(depth)).c_str());
    }
}

TEST(DecodeImage, GreyAlphaRgbAndRgbaDropAlphaAndLowBytes) {
    for (int depth : {8, 16}) {
        int scale = depth == 16 ? 257 : 1;
        PngPlan grey_alpha = {2, 1, PNG_COLOR_TYPE_GRAY_ALPHA, depth, false,
                              {static_cast<uint16_t>(10 * scale), 0,
                               static_cast<uint16_t>(200 * scale), static_cast<uint16_t>(99 * scale)},
                              {}, {}, false};
        ExpectDecodesTo(EncodePng(grey_alpha), 2, 1, {{10, 10, 10}, {200, 200, 200}}, "grey+alpha");

        PngPlan rgb = {2, 1, PNG_COLOR_TYPE_RGB, depth, false,
                       {static_cast<uint16_t>(1 * scale), static_cast<uint16_t>(2 * scale),
                        static_cast<uint16_t>(3 * scale), static_cast<uint16_t>(250 * scale),
                        static_cast<uint16_t>(128 * scale), static_cast<uint16_t>(64 * scale)},
                       {}, {}, false};
        ExpectDecodesTo(EncodePng(rgb), 2, 1, {{1, 2, 3}, {250, 128, 64}}, "rgb");

        PngPlan rgba = {2, 1, PNG_COLOR_TYPE_RGB_ALPHA, depth, false,
                        {static_cast<uint16_t>(9 * scale), static_cast<uint16_t>(8 * scale),
                         static_cast<uint16_t>(7 * scale), 0, static_cast<uint16_t>(90 * scale),
                         static_cast<uint16_t>(80 * scale), static_cast<uint16_t>(70 * scale),
                         static_cast<uint16_t>(255 * scale)},
                        {}, {}, false};
        ExpectDecodesTo(EncodePng(rgba), 2, 1, {{9, 8, 7}, {90, 80, 70}}, "rgba");
    }
}

TEST(DecodeImage, PaletteAtEveryDepthLooksUpColours) {
    for (int depth : {1, 2, 4, 8}) {
        int entries = 1 << depth;
        PngPlan plan = {7, 1, PNG_COLOR_TYPE_PALETTE, depth, false, {}, {}, {}, false};
        for (int i = 0; i < entries; ++i)
            plan.palette.push_back({static_cast<png_byte>(i), static_cast<png_byte>(255 - i),
                                    static_cast<png_byte>(i * 3 % 256)});
        std::vector<Rgb> expected;
        for (int x = 0; x < 7; ++x) {
            int index = (x * 5) % entries;
            plan.samples.push_back(static_cast<uint16_t>(index));
            const png_color& c = plan.palette[index];
            expected.push_back({c.red, c.green, c.blue});
        }
        ExpectDecodesTo(EncodePng(plan), 7, 1, expected, ("palette depth " + std::to_string(depth)).c_str());
    }
}

TEST(DecodeImage, TransparencyChunksAreIgnored) {
    PngPlan palette = {2, 1, PNG_COLOR_TYPE_PALETTE, 8, false, {0, 1}, {{10, 20, 30}, {40, 50, 60}},
                       {0, 128}, false};
    ExpectDecodesTo(EncodePng(palette), 2, 1, {{10, 20, 30}, {40, 50, 60}}, "palette tRNS");

    PngPlan grey = {2, 1, PNG_COLOR_TYPE_GRAY, 4, false, {0, 15}, {}, {}, true};
    ExpectDecodesTo(EncodePng(grey), 2, 1, {{0, 0, 0}, {255, 255, 255}}, "grey tRNS");

    PngPlan rgb = {2, 1, PNG_COLOR_TYPE_RGB, 16, false, {0, 0, 0, 0x1234, 0x5678, 0x9ABC}, {}, {}, true};
    ExpectDecodesTo(EncodePng(rgb), 2, 1, {{0, 0, 0}, {0x12, 0x56, 0x9A}}, "rgb16 tRNS");
}

TEST(DecodeImage, InterlacedImagesComeOutInRowOrder) {
    // 11 x 9 covers every Adam7 pass with partial blocks at the edges.
    for (int colour_type : {PNG_COLOR_TYPE_RGB, PNG_COLOR_TYPE_GRAY}) {
        PngPlan plan = {11, 9, colour_type, 8, true, {}, {}, {}, false};
        std::vector<Rgb> expected;
        for (int y = 0; y < 9; ++y) {
            for (int x = 0; x < 11; ++x) {
                uint8_t r = static_cast<uint8_t>(x * 23), g = static_cast<uint8_t>(y * 29),
                        b = static_cast<uint8_t>(x + y);
                if (colour_type == PNG_COLOR_TYPE_GRAY) {
                    plan.samples.push_back(r);
                    expected.push_back({r, r, r});
                } else {
                    plan.samples.insert(plan.samples.end(), {r, g, b});
                    expected.push_back({r, g, b});
                }
            }
        }
        ExpectDecodesTo(EncodePng(plan), 11, 9, expected, "interlaced");
    }
}

TEST(DecodeImage, DamagedOrForeignInputIsRefused) {
    std::vector<uint8_t> good = EncodePng(SmallRgb());
    ASSERT_TRUE(Decodes(good));

    // Cut short: in the header, in the pixel data, and just before the end chunk.
    for (size_t keep : {size_t{0}, size_t{7}, size_t{20}, good.size() / 2, good.size() - 12, good.size() - 1}) {
        std::vector<uint8_t> cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(keep));
        EXPECT_FALSE(Decodes(cut)) << "kept " << keep << " of " << good.size();
    }

    // One flipped bit in the header's data, and one in the pixel data.
    std::vector<uint8_t> header_damage = good;
    header_damage[18] ^= 0x01;  // inside IHDR's width
    EXPECT_FALSE(Decodes(header_damage));
    std::vector<uint8_t> data_damage = good;
    data_damage[good.size() - 12 - 6] ^= 0x40;  // inside the last IDAT
    EXPECT_FALSE(Decodes(data_damage));

    const char text[] = "GIF89a this is not a PNG at all";
    EXPECT_FALSE(Decodes(std::vector<uint8_t>(text, text + sizeof text)));

    DecodedImage image;
    EXPECT_FALSE(DecodeImageMemory(nullptr, 100, &image));
    EXPECT_EQ(image.rgb, nullptr);
}

TEST(DecodeImage, OversizedHeadersAreRefused) {
    PngPlan wide = {5000, 10, PNG_COLOR_TYPE_GRAY, 1, false, {}, {}, {}, false};
    wide.samples.assign(5000 * 10, 0);
    EXPECT_FALSE(Decodes(EncodePng(wide)));

    PngPlan tall = {1, 4097, PNG_COLOR_TYPE_GRAY, 8, false, {}, {}, {}, false};
    tall.samples.assign(4097, 0);
    EXPECT_FALSE(Decodes(EncodePng(tall)));

    PngPlan largest = {4096, 1, PNG_COLOR_TYPE_GRAY, 8, false, {}, {}, {}, false};
    largest.samples.assign(4096, 77);
    largest.samples[4095] = 200;
    DecodedImage image;
    ASSERT_TRUE(DecodeImageMemory(EncodePng(largest).data(), EncodePng(largest).size(), &image));
    EXPECT_EQ(image.width, 4096);
    EXPECT_EQ(image.rgb[4095 * 3], 200);
    FreeDecodedImage(&image);
}

TEST(DecodeImage, FilesAreFoundThroughTheDeviceRoot) {
    char folder_pattern[] = "/tmp/kn_decode_XXXXXX";
    std::string folder = mkdtemp(folder_pattern);
    ASSERT_EQ(mkdir((folder + "/tovu").c_str(), 0755), 0);
    std::vector<uint8_t> bytes = EncodePng(SmallRgb());
    std::string path = folder + "/tovu/skin1.png";
    FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    std::string text_path = folder + "/tovu/notes.png";
    f = std::fopen(text_path.c_str(), "wb");
    std::fputs("not an image", f);
    std::fclose(f);

    SetDeviceRoot(folder.c_str());
    DecodedImage image;
    ASSERT_TRUE(DecodeImageFile("\\tovu\\skin1.png", &image));
    EXPECT_EQ(image.width, 3);
    EXPECT_EQ(image.height, 2);
    EXPECT_EQ(image.rgb[3 * 5 + 0], 200);  // the last pixel: 40 * 5
    FreeDecodedImage(&image);

    EXPECT_FALSE(DecodeImageFile("\\tovu\\missing.png", &image));
    EXPECT_FALSE(DecodeImageFile("\\tovu\\notes.png", &image));
    EXPECT_FALSE(DecodeImageFile("\\tovu", &image));  // a folder

    std::remove(path.c_str());
    std::remove(text_path.c_str());
    rmdir((folder + "/tovu").c_str());
    rmdir(folder.c_str());
}
