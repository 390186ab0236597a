// Icon file encoding: directory, BITMAPINFOHEADER, palette, XOR and AND rows.
#include "icons/ico_file.h"

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v)
{
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

size_t RowBytes(int size, int bitCount)
{
    return ((static_cast<size_t>(size) * bitCount + 31) / 32) * 4;
}

const std::vector<uint32_t>* PaletteOf(int bitCount)
{
    if (bitCount == 4)
        return &VgaPalette();
    if (bitCount == 8)
        return &BytePalette();
    return nullptr;
}

bool Transparent(const IcoImage& image, uint32_t argb)
{
    return image.bitCount == 32 ? (argb >> 24) == 0 : (argb >> 24) < 128;
}

void PutColorRows(std::vector<uint8_t>& out, const IcoImage& image)
{
    const std::vector<uint32_t>* palette = PaletteOf(image.bitCount);
    const size_t rowBytes = RowBytes(image.size, image.bitCount);
    for (int y = image.size - 1; y >= 0; --y) {
        std::vector<uint8_t> row(rowBytes, 0);
        for (int x = 0; x < image.size; ++x) {
            const uint32_t argb = image.pixels[static_cast<size_t>(y) * image.size + x];
            if (!palette) {
                for (int b = 0; b < 4; ++b)
                    row[static_cast<size_t>(x) * 4 + b] = static_cast<uint8_t>(argb >> (8 * b));
                continue;
            }
            // Transparent pixels are black in the XOR image, as the AND rule wants.
            const uint8_t index = Transparent(image, argb) ? 0 : NearestPaletteIndex(*palette, argb & 0xFFFFFF);
            if (image.bitCount == 8)
                row[x] = index;
            else
                row[x / 2] |= static_cast<uint8_t>(x % 2 ? index : index << 4);
        }
        out.insert(out.end(), row.begin(), row.end());
    }
}

void PutMaskRows(std::vector<uint8_t>& out, const IcoImage& image)
{
    const size_t rowBytes = RowBytes(image.size, 1);
    for (int y = image.size - 1; y >= 0; --y) {
        std::vector<uint8_t> row(rowBytes, 0);
        for (int x = 0; x < image.size; ++x)
            if (Transparent(image, image.pixels[static_cast<size_t>(y) * image.size + x]))
                row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
        out.insert(out.end(), row.begin(), row.end());
    }
}

std::vector<uint8_t> EncodeImage(const IcoImage& image)
{
    const std::vector<uint32_t>* palette = PaletteOf(image.bitCount);
    const size_t colorBytes = RowBytes(image.size, image.bitCount) * image.size;
    const size_t maskBytes = RowBytes(image.size, 1) * image.size;
    std::vector<uint8_t> out;
    Put32(out, 40);
    Put32(out, static_cast<uint32_t>(image.size));
    Put32(out, static_cast<uint32_t>(image.size) * 2);   // colour rows and mask rows
    Put16(out, 1);
    Put16(out, static_cast<uint32_t>(image.bitCount));
    Put32(out, 0);   // BI_RGB
    Put32(out, static_cast<uint32_t>(colorBytes + maskBytes));
    for (int i = 0; i < 4; ++i)
        Put32(out, 0);
    if (palette)
        for (uint32_t rgb : *palette)
            Put32(out, rgb);   // blue, green, red, 0
    PutColorRows(out, image);
    PutMaskRows(out, image);
    return out;
}

} // namespace

const std::vector<uint32_t>& VgaPalette()
{
    static const std::vector<uint32_t> palette = {
        0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
        0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
    };
    return palette;
}

const std::vector<uint32_t>& BytePalette()
{
    static const std::vector<uint32_t> palette = [] {
        std::vector<uint32_t> p = VgaPalette();
        for (uint32_t r = 0; r < 6; ++r)
            for (uint32_t g = 0; g < 6; ++g)
                for (uint32_t b = 0; b < 6; ++b)
                    p.push_back((r * 51) << 16 | (g * 51) << 8 | b * 51);
        for (uint32_t i = 1; p.size() < 256; ++i) {
            const uint32_t v = i * 10;
            p.push_back(v << 16 | v << 8 | v);
        }
        return p;
    }();
    return palette;
}

uint8_t NearestPaletteIndex(const std::vector<uint32_t>& palette, uint32_t rgb)
{
    size_t best = 0;
    long bestDistance = -1;
    for (size_t i = 0; i < palette.size(); ++i) {
        long d = 0;
        for (int shift = 0; shift < 24; shift += 8) {
            const long a = static_cast<long>((rgb >> shift) & 0xFF);
            const long b = static_cast<long>((palette[i] >> shift) & 0xFF);
            d += (a - b) * (a - b);
        }
        if (bestDistance < 0 || d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return static_cast<uint8_t>(best);
}

std::vector<uint8_t> EncodeIco(const std::vector<IcoImage>& images)
{
    std::vector<std::vector<uint8_t>> bodies;
    for (const IcoImage& image : images)
        bodies.push_back(EncodeImage(image));

    std::vector<uint8_t> out;
    Put16(out, 0);
    Put16(out, 1);   // icon
    Put16(out, static_cast<uint32_t>(images.size()));
    uint32_t offset = static_cast<uint32_t>(6 + 16 * images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        const IcoImage& image = images[i];
        out.push_back(static_cast<uint8_t>(image.size == 256 ? 0 : image.size));
        out.push_back(static_cast<uint8_t>(image.size == 256 ? 0 : image.size));
        out.push_back(static_cast<uint8_t>(image.bitCount == 4 ? 16 : 0));
        out.push_back(0);
        Put16(out, 1);
        Put16(out, static_cast<uint32_t>(image.bitCount));
        Put32(out, static_cast<uint32_t>(bodies[i].size()));
        Put32(out, offset);
        offset += static_cast<uint32_t>(bodies[i].size());
    }
    for (const std::vector<uint8_t>& body : bodies)
        out.insert(out.end(), body.begin(), body.end());
    return out;
}
