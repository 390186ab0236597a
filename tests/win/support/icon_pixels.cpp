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
    return !ReadIcon(icon).argb.empty();
}

namespace {

std::vector<uint8_t> IcoFile(int size, PixelPaint paint)
{
    IcoImage image;
    image.size = size;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            image.pixels.push_back(paint(x, y));
    return EncodeIco({image});
}

// The image of a one-image file follows its 6-byte header and 16-byte entry.
constexpr size_t ICO_IMAGE_OFFSET = 22;

} // namespace

HICON MakeIcon(int size, PixelPaint paint)
{
    std::vector<uint8_t> file = IcoFile(size, paint);
    return CreateIconFromResourceEx(file.data() + ICO_IMAGE_OFFSET, static_cast<DWORD>(file.size() - ICO_IMAGE_OFFSET),
                                    TRUE, 0x00030000, size, size, LR_DEFAULTCOLOR);
}

void WriteIconFile(const std::string& path, int size, PixelPaint paint)
{
    const std::vector<uint8_t> file = IcoFile(size, paint);
    WriteWholeFile(path, std::string(file.begin(), file.end()));
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
