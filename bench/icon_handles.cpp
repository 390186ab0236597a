// The icon handles' own cost (icon_handles.h).
#include "icon_handles.h"

#include "figures.h"

#include <windows.h>

#include <cstring>
#include <vector>

namespace {

// One icon resource image: header, colour rows with a soft alpha (so that
// the platform makes the icon's alpha bitmap too, as it does for the set's
// icons), AND-mask rows all ones.
std::vector<BYTE> IconImage(int size)
{
    const size_t colorBytes = static_cast<size_t>(size) * size * 4;
    const size_t maskRow = (static_cast<size_t>(size) + 31) / 32 * 4;
    std::vector<BYTE> image(sizeof(BITMAPINFOHEADER) + colorBytes + maskRow * size, 0xFF);
    BITMAPINFOHEADER header = {sizeof header, size, 2 * size, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::memcpy(image.data(), &header, sizeof header);
    const DWORD pixel = 0x80204060;
    for (size_t p = 0; p < colorBytes / 4; ++p)
        std::memcpy(image.data() + sizeof header + p * 4, &pixel, sizeof pixel);
    return image;
}

} // namespace

double IconHandlesMs(int count, int size, int runs)
{
    std::vector<BYTE> image = IconImage(size);
    std::vector<HICON> icons(static_cast<size_t>(count));
    std::vector<double> times;
    for (int r = 0; r < runs; ++r) {
        const double start = NowMicroseconds();
        for (HICON& icon : icons)
            icon = CreateIconFromResourceEx(image.data(), static_cast<DWORD>(image.size()), TRUE, 0x00030000, size,
                                            size, LR_DEFAULTCOLOR);
        bool made = true;
        for (HICON& icon : icons) {
            made = made && icon;
            if (icon)
                DestroyIcon(icon);
            icon = nullptr;
        }
        if (!made)
            return 0;
        times.push_back((NowMicroseconds() - start) / 1000.0);
    }
    return Median(times);
}
