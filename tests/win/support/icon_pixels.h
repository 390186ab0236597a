// Pixels of icons for the icon tests: read an icon back, make icons of
// known pixels, write icon files, and a scratch current directory.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// An icon's colour bitmap as 0xAARRGGBB, rows top-down; empty if the handle
// is not a live icon.
struct IconPixels {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> argb;
    uint32_t At(int x, int y) const { return argb[static_cast<size_t>(y) * width + x]; }
    uint32_t Rgb(int x, int y) const { return At(x, y) & 0xFFFFFF; }
    uint32_t Alpha(int x, int y) const { return At(x, y) >> 24; }
};
IconPixels ReadIcon(HICON icon);

// True while the handle names an icon that has not been destroyed.
bool IconAlive(HICON icon);

inline BITMAPINFO TopDown32(int width, int height)
{
    return {{sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
}

// A size x size 32-bit icon whose pixel (x, y) is paint(x, y), 0xAARRGGBB.
using PixelPaint = uint32_t (*)(int x, int y);
HICON MakeIcon(int size, PixelPaint paint);
template <uint32_t ARGB>
uint32_t Solid(int, int)
{
    return ARGB;
}
// The same picture as an .ico file.
void WriteIconFile(const std::string& path, int size, PixelPaint paint);

// Makes a fresh scratch directory the current directory for its lifetime.
class ScratchDirectory {
public:
    ScratchDirectory();
    ~ScratchDirectory();
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;
    const std::string& Path() const { return path_; }

private:
    std::string previous_;
    std::string path_;
};
