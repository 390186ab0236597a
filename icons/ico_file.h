// Encoding of icon files (.ico): square images of 32 bits with alpha, or of
// 8 or 4 bits with a fixed palette and an AND mask. Used by the art
// generator and by the tests that put override files in place. Platform-free.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

struct IcoImage {
    int size = 0;        // width and height in pixels, 1 to 256
    int bitCount = 32;   // 32, 8 or 4
    // size * size pixels, rows top-down, 0xAARRGGBB with straight alpha.
    std::vector<uint32_t> pixels;
};

// The 16 colours of a 4-bit image, 0x00RRGGBB, in the platform's VGA order.
const std::vector<uint32_t>& VgaPalette();
// The 256 colours of an 8-bit image: the 16 VGA colours, a 6x6x6 cube and
// a grey ramp.
const std::vector<uint32_t>& BytePalette();

// The palette entry nearest to a colour (squared distance in RGB).
uint8_t NearestPaletteIndex(const std::vector<uint32_t>& palette, uint32_t rgb);

// The whole file. In palette images every pixel takes the nearest palette
// colour and pixels with alpha below 128 are transparent (AND bit set).
std::vector<uint8_t> EncodeIco(const std::vector<IcoImage>& images);
