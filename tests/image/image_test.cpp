#include <png.h>
#include <zlib.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "image/image.h"
#include "tests/support/test_images.h"
#include "tests/support/scratch_dir.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes pixelsOf(const Image& image) { return Bytes(image.pixels, image.pixels + image.byteSize); }

// Decodes bytes written under name; checks the failure contract when it fails.
Bytes decode(const ScratchDir& dir, const std::string& name, const std::string& bytes, Image& image) {
    std::string error;
    loadImage(image, dir.write(name, bytes).c_str(), &error);
    if (!image.pixels) {
        EXPECT_EQ(image.width, 0);
        EXPECT_EQ(image.height, 0);
        EXPECT_EQ(image.byteSize, 0);
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(error.find('\n'), std::string::npos);
        return {};
    }
    EXPECT_TRUE(error.empty());
    return pixelsOf(image);
}

PngSpec spec(int width, int height, int colourType, int bitDepth, Bytes rows) {
    PngSpec s;
    s.width = width;
    s.height = height;
    s.colourType = colourType;
    s.bitDepth = bitDepth;
    s.rows = rows;
    return s;
}

TEST(PngDecode, EveryColourTypeBecomesFourBytesPerPixelFirstRowFirst) {
    ScratchDir dir;
    Image image;
    // Two rows so that row order shows: the first file row is the first in memory.
    EXPECT_EQ(decode(dir, "rgba.png", pngBytes(spec(1, 2, PNG_COLOR_TYPE_RGBA, 8, {1, 2, 3, 4, 5, 6, 7, 8})), image),
              (Bytes{1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(image.width, 1);
    EXPECT_EQ(image.height, 2);
    EXPECT_EQ(image.stride, 4);
    EXPECT_EQ(image.bitsPerPixel, 32);
    EXPECT_EQ(image.byteSize, 8);
    EXPECT_EQ(image.pixelOrder, 0);

    EXPECT_EQ(decode(dir, "rgb.png", pngBytes(spec(2, 1, PNG_COLOR_TYPE_RGB, 8, {10, 20, 30, 40, 50, 60})), image),
              (Bytes{10, 20, 30, 255, 40, 50, 60, 255}));
    EXPECT_EQ(decode(dir, "grey.png", pngBytes(spec(2, 1, PNG_COLOR_TYPE_GRAY, 8, {7, 200})), image),
              (Bytes{7, 7, 7, 255, 200, 200, 200, 255}));
    EXPECT_EQ(decode(dir, "ga.png", pngBytes(spec(1, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 8, {9, 99})), image),
              (Bytes{9, 9, 9, 99}));

    PngSpec palette = spec(3, 1, PNG_COLOR_TYPE_PALETTE, 8, {0, 1, 1});
    palette.palette = {255, 0, 0, 0, 0, 255};
    palette.trns = {0, 128};  // ignored: palette images stay opaque
    EXPECT_EQ(decode(dir, "pal.png", pngBytes(palette), image),
              (Bytes{255, 0, 0, 255, 0, 0, 255, 255, 0, 0, 255, 255}));
}

TEST(PngDecode, SixteenBitAndLowBitDepthsBecomeEightBits) {
    ScratchDir dir;
    Image image;
    // 16-bit samples keep their high byte.
    EXPECT_EQ(
        decode(dir, "16.png",
               pngBytes(spec(1, 1, PNG_COLOR_TYPE_RGBA, 16, {0xAB, 0xCD, 0x12, 0x34, 0x00, 0xFF, 0xFF, 0x00})), image),
        (Bytes{0xAB, 0x12, 0x00, 0xFF}));
    // 1-bit grey: 1 0 1, packed most significant bit first.
    EXPECT_EQ(decode(dir, "g1.png", pngBytes(spec(3, 1, PNG_COLOR_TYPE_GRAY, 1, {0xA0})), image),
              (Bytes{255, 255, 255, 255, 0, 0, 0, 255, 255, 255, 255, 255}));
    // 2-bit grey: 0 1 2 3 spread over 0..255.
    EXPECT_EQ(decode(dir, "g2.png", pngBytes(spec(4, 1, PNG_COLOR_TYPE_GRAY, 2, {0x1B})), image),
              (Bytes{0, 0, 0, 255, 85, 85, 85, 255, 170, 170, 170, 255, 255, 255, 255, 255}));
    // 4-bit palette: indices 1 then 0.
    PngSpec palette = spec(2, 1, PNG_COLOR_TYPE_PALETTE, 4, {0x10});
    palette.palette = {1, 2, 3, 4, 5, 6};
    EXPECT_EQ(decode(dir, "p4.png", pngBytes(palette), image), (Bytes{4, 5, 6, 255, 1, 2, 3, 255}));
}

TEST(PngDecode, InterlacedImageMatchesTheSameImageNotInterlaced) {
    ScratchDir dir;
    Image image;
    Bytes rgb;
    for (int i = 0; i < 9 * 7 * 3; ++i) rgb.push_back((unsigned char)(i * 7));
    PngSpec plain = spec(9, 7, PNG_COLOR_TYPE_RGB, 8, rgb);
    PngSpec interlaced = plain;
    interlaced.interlaced = true;
    const Bytes expected = decode(dir, "plain.png", pngBytes(plain), image);
    ASSERT_EQ(expected.size(), 9u * 7u * 4u);
    EXPECT_EQ(decode(dir, "adam7.png", pngBytes(interlaced), image), expected);
}

TEST(ImageDecode, ExtensionIsTheTextAfterTheLastDotInLowerCase) {
    ScratchDir dir;
    Image image;
    const std::string png = rgbaPng(1, 1, {1, 2, 3, 4});
    EXPECT_TRUE(decode(dir, "upper.PNG", png, image).empty());
    EXPECT_EQ(decode(dir, "several.dots.tga.png", png, image), (Bytes{1, 2, 3, 4}));
    EXPECT_TRUE(decode(dir, "name.png.old", png, image).empty());
    EXPECT_TRUE(decode(dir, "folder.png/none", png, image).empty());
    EXPECT_TRUE(decode(dir, "trailing.", png, image).empty());

    // A failed load frees what the Image held before.
    decode(dir, "ok.png", png, image);
    ASSERT_NE(image.pixels, nullptr);
    loadImage(image, dir.file("missing.png").c_str());
    EXPECT_EQ(image.pixels, nullptr);
    EXPECT_EQ(image.width, 0);
}

// Builds a PNG chunk with a correct CRC.
std::string chunk(const char type[4], const std::string& data) {
    std::string s;
    const unsigned length = unsigned(data.size());
    for (int shift = 24; shift >= 0; shift -= 8) s += char((length >> shift) & 255);
    const std::string body = std::string(type, 4) + data;
    const unsigned crc = unsigned(crc32(0, reinterpret_cast<const Bytef*>(body.data()), uInt(body.size())));
    s += body;
    for (int shift = 24; shift >= 0; shift -= 8) s += char((crc >> shift) & 255);
    return s;
}

TEST(PngDecode, CorruptTruncatedAndOversizedFilesGiveNoPixels) {
    ScratchDir dir;
    Image image;
    Bytes rgba;
    for (int i = 0; i < 8 * 8 * 4; ++i) rgba.push_back((unsigned char)(i * 31));
    const std::string good = rgbaPng(8, 8, rgba);
    const Bytes full = decode(dir, "good.png", good, image);
    ASSERT_EQ(full.size(), 256u);

    // Every prefix that cuts into the image data fails cleanly; only the
    // final IEND chunk (12 bytes) is not needed.
    for (size_t length = 0; length < good.size(); ++length) {
        const Bytes got = decode(dir, "cut.png", good.substr(0, length), image);
        if (length < good.size() - 12) {
            EXPECT_TRUE(got.empty()) << "prefix of " << length << " bytes";
        } else if (!got.empty()) {
            EXPECT_EQ(got, full);
        }
    }
    // A flipped bit anywhere after the signature never crashes.
    for (size_t at = 8; at < good.size(); ++at) {
        std::string bad = good;
        bad[at] = char(bad[at] ^ 0x10);
        decode(dir, "flip.png", bad, image);
    }
    // Right signature, garbage after it.
    EXPECT_TRUE(decode(dir, "junk.png", good.substr(0, 8) + std::string(100, '\x5a'), image).empty());
    EXPECT_TRUE(decode(dir, "nosig.png", "not a png at all", image).empty());

    // A well-formed header for 100000 x 100000 pixels is refused before any allocation.
    std::string ihdr = {0, 1, (char)0x86, (char)0xA0, 0, 1, (char)0x86, (char)0xA0, 8, 6, 0, 0, 0};
    std::string error;
    loadImage(image, dir.write("huge.png", good.substr(0, 8) + chunk("IHDR", ihdr) + chunk("IDAT", "xx")).c_str(),
              &error);
    EXPECT_EQ(image.pixels, nullptr);
    EXPECT_NE(error.find("size"), std::string::npos) << error;
}

std::string bgra(std::initializer_list<int> values) {
    std::string s;
    for (int v : values) s += char(v);
    return s;
}

TEST(TgaDecode, TrueColourAndGreyscale) {
    ScratchDir dir;
    Image image;
    // B, G, R, A in the file; rows stay in file order; the image id is skipped.
    EXPECT_EQ(decode(dir, "a.tga", tgaBytes(2, 1, 2, 32, bgra({1, 2, 3, 4, 5, 6, 7, 8}), 3), image),
              (Bytes{3, 2, 1, 4, 7, 6, 5, 8}));
    EXPECT_EQ(image.stride, 4);
    EXPECT_EQ(image.byteSize, 8);
    EXPECT_EQ(image.bitsPerPixel, 32);
    EXPECT_EQ(decode(dir, "g.tga", tgaBytes(3, 3, 1, 8, bgra({0, 128, 255})), image),
              (Bytes{0, 0, 0, 255, 128, 128, 128, 255, 255, 255, 255, 255}));
}

TEST(TgaDecode, UnsupportedTruncatedAndForgedFilesGiveNoPixels) {
    ScratchDir dir;
    Image image;
    EXPECT_TRUE(decode(dir, "24.tga", tgaBytes(2, 1, 1, 24, "abc"), image).empty());
    EXPECT_TRUE(decode(dir, "rle.tga", tgaBytes(10, 1, 1, 32, "abcd"), image).empty());
    EXPECT_TRUE(decode(dir, "g16.tga", tgaBytes(3, 1, 1, 16, "ab"), image).empty());
    EXPECT_TRUE(decode(dir, "w0.tga", tgaBytes(2, 0, 5, 32, ""), image).empty());
    EXPECT_TRUE(decode(dir, "h0.tga", tgaBytes(3, 5, 0, 8, ""), image).empty());
    const std::string good = tgaBytes(2, 2, 2, 32, std::string(16, 'x'));
    for (size_t length = 0; length < good.size(); ++length)
        EXPECT_TRUE(decode(dir, "cut.tga", good.substr(0, length), image).empty()) << length;
    EXPECT_TRUE(decode(dir, "forged.tga", tgaBytes(2, 65535, 65535, 32, std::string(64, 'x')), image).empty());
}

TEST(BmpDecode, PaddedBottomUpRowsComeOutTopFirst) {
    ScratchDir dir;
    Image image;
    // 3 x 2, 24-bit: rows of 9 bytes padded to 12; the last file row is the top.
    const std::string bottom = bgra({1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0});
    const std::string top = bgra({11, 12, 13, 14, 15, 16, 17, 18, 19, 0, 0, 0});
    EXPECT_EQ(decode(dir, "a.bmp", bmpBytes(3, 2, 24, 0, "", bottom + top), image),
              (Bytes{11, 12, 13, 255, 14, 15, 16, 255, 17, 18, 19, 255, 1, 2, 3, 255, 4, 5, 6, 255, 7, 8, 9, 255}));
    EXPECT_EQ(image.width, 3);
    EXPECT_EQ(image.height, 2);
    EXPECT_EQ(image.stride, 0);
    EXPECT_EQ(image.byteSize, 24);
    EXPECT_EQ(image.bitsPerPixel, 32);
    EXPECT_EQ(image.pixelOrder, 1);  // bytes are B, G, R, A
    // A negative height stores the top row first.
    EXPECT_EQ(decode(dir, "down.bmp", bmpBytes(3, -2, 24, 0, "", top + bottom), image)[0], 11);
}

TEST(BmpDecode, EightBitGoesThroughThePalette) {
    ScratchDir dir;
    Image image;
    const std::string palette = bgra({10, 20, 30, 0, 40, 50, 60, 0});
    // Indices 1, 0 and 7 (past the two stored entries: black); rows padded to 4.
    EXPECT_EQ(decode(dir, "p.bmp", bmpBytes(3, 1, 8, 0, palette, bgra({1, 0, 7, 0}), 2), image),
              (Bytes{40, 50, 60, 255, 10, 20, 30, 255, 0, 0, 0, 255}));
}

TEST(BmpDecode, UnsupportedTruncatedAndForgedFilesGiveNoPixels) {
    ScratchDir dir;
    Image image;
    const std::string row = bgra({1, 2, 3, 0});
    EXPECT_TRUE(decode(dir, "rle.bmp", bmpBytes(1, 1, 24, 1, "", row), image).empty());
    EXPECT_TRUE(decode(dir, "16.bmp", bmpBytes(1, 1, 16, 0, "", row), image).empty());
    EXPECT_TRUE(decode(dir, "w0.bmp", bmpBytes(0, 1, 24, 0, "", row), image).empty());
    EXPECT_TRUE(decode(dir, "neg.bmp", bmpBytes(-4, 1, 24, 0, "", row), image).empty());
    EXPECT_TRUE(decode(dir, "pal.bmp", bmpBytes(1, 1, 8, 0, "", row, 300), image).empty());
    std::string notBm = bmpBytes(1, 1, 24, 0, "", row);
    notBm[0] = 'X';
    EXPECT_TRUE(decode(dir, "x.bmp", notBm, image).empty());
    const std::string good = bmpBytes(2, 2, 24, 0, "", std::string(16, 'x'));
    for (size_t length = 0; length < good.size(); ++length)
        EXPECT_TRUE(decode(dir, "cut.bmp", good.substr(0, length), image).empty()) << length;
    EXPECT_TRUE(decode(dir, "forged.bmp", bmpBytes(100000, 100000, 24, 0, "", row), image).empty());
    EXPECT_TRUE(decode(dir, "tall.bmp", bmpBytes(1, 1 << 20, 24, 0, "", row), image).empty());
}

}  // namespace
