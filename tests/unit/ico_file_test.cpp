// Icon file encoding: directory entries, headers, palettes and masks.
#include "icons/ico_file.h"

#include <gtest/gtest.h>

namespace {

uint32_t U16(const std::vector<uint8_t>& b, size_t at)
{
    return b[at] | b[at + 1] << 8;
}

uint32_t U32(const std::vector<uint8_t>& b, size_t at)
{
    return U16(b, at) | U16(b, at + 2) << 16;
}

IcoImage Filled(int size, int bits, uint32_t argb)
{
    IcoImage image;
    image.size = size;
    image.bitCount = bits;
    image.pixels.assign(static_cast<size_t>(size) * size, argb);
    return image;
}

TEST(IcoFile, DirectoryDescribesEveryImage)
{
    const std::vector<uint8_t> f = EncodeIco({Filled(256, 32, 0xFF112233), Filled(16, 4, 0xFFFF0000)});
    EXPECT_EQ(U16(f, 0), 0u);
    EXPECT_EQ(U16(f, 2), 1u);
    EXPECT_EQ(U16(f, 4), 2u);
    // 256 is written as 0.
    EXPECT_EQ(f[6], 0);
    EXPECT_EQ(f[7], 0);
    EXPECT_EQ(U16(f, 6 + 6), 32u);
    EXPECT_EQ(f[22], 16);
    EXPECT_EQ(f[22 + 2], 16) << "16 colours";
    EXPECT_EQ(U16(f, 22 + 6), 4u);
    const uint32_t size0 = U32(f, 6 + 8), offset0 = U32(f, 6 + 12);
    const uint32_t size1 = U32(f, 22 + 8), offset1 = U32(f, 22 + 12);
    EXPECT_EQ(offset0, 6u + 32u);
    EXPECT_EQ(size0, 40u + 256 * 256 * 4 + 256 * 32);
    EXPECT_EQ(offset1, offset0 + size0);
    EXPECT_EQ(size1, 40u + 64 + 16 * 8 + 16 * 4);
    EXPECT_EQ(f.size(), offset1 + size1);
    // Header: doubled height for the AND rows.
    EXPECT_EQ(U32(f, offset1), 40u);
    EXPECT_EQ(U32(f, offset1 + 8), 32u);
}

TEST(IcoFile, ThirtyTwoBitKeepsAlphaAndMasksOnlyTransparentPixels)
{
    IcoImage image = Filled(16, 32, 0x80FF0000);
    image.pixels[0] = 0x00000000;   // top-left: transparent
    const std::vector<uint8_t> f = EncodeIco({image});
    const size_t pixels = 6 + 16 + 40;
    // The top row is stored last; its first pixel is fully transparent.
    const size_t topRow = pixels + 15 * 16 * 4;
    EXPECT_EQ(U32(f, topRow), 0u);
    EXPECT_EQ(U32(f, topRow + 4), 0x80FF0000u);
    const size_t mask = pixels + 16 * 16 * 4;
    EXPECT_EQ(f[mask + 15 * 4], 0x80) << "top-left AND bit";
    EXPECT_EQ(f[mask], 0) << "bottom row opaque";
}

TEST(IcoFile, PaletteImagesTakeTheNearestColourAndMaskLowAlpha)
{
    IcoImage image = Filled(16, 4, 0xFFF00808);   // near red
    image.pixels[15 * 16 + 1] = 0x40FFFFFF;       // bottom row, second pixel: transparent
    const std::vector<uint8_t> f = EncodeIco({image});
    const size_t palette = 6 + 16 + 40;
    EXPECT_EQ(U32(f, palette + 9 * 4), 0xFF0000u) << "VGA red is entry 9";
    const size_t rows = palette + 64;
    EXPECT_EQ(f[rows], 0x90) << "bottom row: red, then transparent black";
    const size_t mask = rows + 16 * 8;
    EXPECT_EQ(f[mask], 0x40);
}

TEST(IcoFile, PalettesHaveTheirSizes)
{
    EXPECT_EQ(VgaPalette().size(), 16u);
    EXPECT_EQ(BytePalette().size(), 256u);
    EXPECT_EQ(NearestPaletteIndex(VgaPalette(), 0xFFFFFF), 15);
    EXPECT_EQ(NearestPaletteIndex(VgaPalette(), 0x7F7F7F), 8);
}

} // namespace
