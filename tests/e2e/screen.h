// Screenshots of the Wine virtual desktop, taken from inside it, with pixel
// access and BMP output for the pictures a failed case leaves behind.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

class Screenshot {
public:
    // Captures the whole screen (the virtual desktop with its taskbar).
    bool Capture();
    int Width() const { return width_; }
    int Height() const { return height_; }
    // 0x00RRGGBB of a pixel; 0 outside the picture.
    uint32_t Pixel(int x, int y) const;
    bool SaveBmp(const std::string& path) const;

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<uint32_t> pixels_;
};

// Red, green and blue of a 0x00RRGGBB pixel.
inline int Red(uint32_t p) { return (p >> 16) & 0xFF; }
inline int Green(uint32_t p) { return (p >> 8) & 0xFF; }
inline int Blue(uint32_t p) { return p & 0xFF; }
