// Icon pixel helpers of the tests.
#include "icon_pixels.h"

#include "icons/ico_file.h"
#include "test_env.h"

#include <cstdio>

IconPixels ReadIcon(HICON icon)
{
    IconPixels out;
    ICONINFO info = {};
    if (!icon || !GetIconInfo(icon, &info))
        return out;
    BITMAP bm = {};
    GetObjectA(info.hbmColor, sizeof bm, &bm);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = bm.bmWidth;
    bi.bmiHeader.biHeight = -bm.bmHeight;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
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
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = size;
    bi.bmiHeader.biHeight = -size;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
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

ScratchDirectory::ScratchDirectory()
{
    char dir[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof dir, dir);
    previous_ = dir;
    char temp[MAX_PATH] = "";
    GetTempPathA(sizeof temp, temp);
    char name[64];
    static int serial = 0;
    std::snprintf(name, sizeof name, "kelpra-icons-%lu-%d", GetCurrentProcessId(), ++serial);
    path_ = std::string(temp) + name;
    CreateDirectoryA(path_.c_str(), nullptr);
    SetCurrentDirectoryA(path_.c_str());
}

ScratchDirectory::~ScratchDirectory()
{
    SetCurrentDirectoryA(previous_.c_str());
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((path_ + "\\*").c_str(), &found);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                DeleteFileA((path_ + "\\" + found.cFileName).c_str());
        } while (FindNextFileA(h, &found));
        FindClose(h);
    }
    RemoveDirectoryA(path_.c_str());
}
