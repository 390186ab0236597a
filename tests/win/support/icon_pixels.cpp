// Icon pixel helpers of the tests.
#include "icon_pixels.h"

#include "icons/ico_file.h"
#include "test_env.h"


IconPixels ReadIcon(HICON icon)
{
    IconPixels out;
    ICONINFO info = {};
    if (!icon || !GetIconInfo(icon, &info))
        return out;
    BITMAP bm = {};
    GetObjectA(info.hbmColor, sizeof bm, &bm);
    BITMAPINFO bi = TopDown32(bm.bmWidth, bm.bmHeight);
    out.width = bm.bmWidth;
    out.height = bm.bmHeight;
    out.argb.resize(static_cast<size_t>(bm.bmWidth) * bm.bmHeight);
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, info.hbmColor, 0, bm.bmHeight, out.argb.data(), &bi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return out;
}

bool IconAlive(HICON icon)
{
    ICONINFO info = {};
    if (!icon || !GetIconInfo(icon, &info))
        return false;
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return true;
}

uint32_t PixelRgb(COLORREF c)
{
    return static_cast<uint32_t>(GetRValue(c)) << 16 | static_cast<uint32_t>(GetGValue(c)) << 8 | GetBValue(c);
}

HICON MakeIcon(int size, PixelPaint paint)
{
    BITMAPINFO bi = TopDown32(size, size);
    void* bits = nullptr;
    HBITMAP color = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    auto* px = static_cast<uint32_t*>(bits);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            px[y * size + x] = paint(x, y);
    std::vector<BYTE> ones(static_cast<size_t>(size) * size / 8 + 16, 0xFF);
    HBITMAP mask = CreateBitmap(size, size, 1, 1, ones.data());
    ICONINFO info = {TRUE, 0, 0, mask, color};
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(color);
    DeleteObject(mask);
    return icon;
}

void WriteIconFile(const std::string& path, int size, PixelPaint paint)
{
    IcoImage image;
    image.size = size;
    image.bitCount = 32;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            image.pixels.push_back(paint(x, y));
    const std::vector<uint8_t> bytes = EncodeIco({image});
    WriteWholeFile(path, std::string(bytes.begin(), bytes.end()));
}

ScratchDirectory::ScratchDirectory() : path_(MakeTempFolder("kelpra-icons"))
{
    char dir[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof dir, dir);
    previous_ = dir;
    SetCurrentDirectoryA(path_.c_str());
}

ScratchDirectory::~ScratchDirectory()
{
    SetCurrentDirectoryA(previous_.c_str());
    RemoveFolder(path_);
}
