// Desktop capture through a 32-bit top-down DIB section.
#include "screen.h"

#include <cstdio>

bool Screenshot::Capture()
{
    width_ = GetSystemMetrics(SM_CXSCREEN);
    height_ = GetSystemMetrics(SM_CYSCREEN);
    pixels_.assign(static_cast<size_t>(width_) * height_, 0);
    if (width_ <= 0 || height_ <= 0)
        return false;

    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width_;
    info.bmiHeader.biHeight = -height_;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    HDC screen = GetDC(nullptr);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC memory = CreateCompatibleDC(screen);
    bool ok = bitmap && memory;
    if (ok) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        ok = BitBlt(memory, 0, 0, width_, height_, screen, 0, 0, SRCCOPY) != 0;
        GdiFlush();
        const auto* src = static_cast<const uint32_t*>(bits);
        for (size_t i = 0; i < pixels_.size(); ++i)
            pixels_[i] = src[i] & 0x00FFFFFF;
        SelectObject(memory, old);
    }
    if (memory)
        DeleteDC(memory);
    if (bitmap)
        DeleteObject(bitmap);
    ReleaseDC(nullptr, screen);
    return ok;
}

uint32_t Screenshot::Pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return 0;
    return pixels_[static_cast<size_t>(y) * width_ + x];
}

bool Screenshot::SaveBmp(const std::string& path) const
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = width_;
    header.biHeight = -height_;
    header.biPlanes = 1;
    header.biBitCount = 32;
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = static_cast<DWORD>(file.bfOffBits + pixels_.size() * 4);
    bool ok = std::fwrite(&file, sizeof file, 1, f) == 1 && std::fwrite(&header, sizeof header, 1, f) == 1 &&
              std::fwrite(pixels_.data(), 4, pixels_.size(), f) == pixels_.size();
    return std::fclose(f) == 0 && ok;
}
