// Today's build beside the earlier one (build_compare.h).
#include "build_compare.h"

#include "figures.h"
#include "legacy_build.h"

#include "icons/gdi_tally.h"
#include "icons/icon_set.h"
#include "icons/numicon.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

template <typename Build>
double BuildMs(Build build)
{
    const double start = NowMicroseconds();
    build();
    return (NowMicroseconds() - start) / 1000.0;
}

// GetDIBits of a bitmap as 32-bit pixels, rows top-down.
void AppendBits(HDC dc, HBITMAP bitmap, int size, std::vector<uint32_t>& out)
{
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), size, -size, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    const size_t at = out.size();
    out.resize(at + static_cast<size_t>(size) * size);
    GetDIBits(dc, bitmap, 0, size, out.data() + at, &info, DIB_RGB_COLORS);
}

// What the icon holds and what it draws: colour, mask, and DrawIconEx over
// black and over white.
std::vector<uint32_t> Fingerprint(HICON icon, int size)
{
    std::vector<uint32_t> out;
    ICONINFO info = {};
    if (!icon || !GetIconInfo(icon, &info))
        return out;
    HDC dc = CreateCompatibleDC(nullptr);
    AppendBits(dc, info.hbmColor, size, out);
    AppendBits(dc, info.hbmMask, size, out);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    BITMAPINFO bi = {};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), size, -size, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    for (uint32_t background : {0x00000000u, 0x00FFFFFFu}) {
        void* bits = nullptr;
        HBITMAP canvas = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ previous = SelectObject(dc, canvas);
        std::fill(static_cast<uint32_t*>(bits), static_cast<uint32_t*>(bits) + size * size, background);
        DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
        GdiFlush();
        out.insert(out.end(), static_cast<uint32_t*>(bits), static_cast<uint32_t*>(bits) + size * size);
        SelectObject(dc, previous);
        DeleteObject(canvas);
    }
    DeleteDC(dc);
    return out;
}

std::vector<std::vector<uint32_t>> FingerprintsOfSet()
{
    const int size = GetSystemMetrics(SM_CXSMICON);
    std::vector<std::vector<uint32_t>> all;
    for (uint32_t i = 0; i < NUMERIC_ICON_COUNT; ++i)
        all.push_back(Fingerprint(NumIconArray[i].m_hIcon, size));
    return all;
}

template <typename Build>
void CountMade(Build build, long (&made)[GDI_KIND_COUNT])
{
    long before[GDI_KIND_COUNT];
    for (int k = 0; k < GDI_KIND_COUNT; ++k)
        before[k] = TallyMadeEver(static_cast<GdiKind>(k));
    build();
    for (int k = 0; k < GDI_KIND_COUNT; ++k)
        made[k] = TallyMadeEver(static_cast<GdiKind>(k)) - before[k];
}

} // namespace

BuildObjects ObjectsMadePerBuild()
{
    BuildObjects objects;
    CountMade(BuildIconSet, objects.now);
    CountMade(LegacyBuildIconSet, objects.old);
    return objects;
}

BuildTimes MedianBuildTimes(int runs)
{
    std::vector<double> now, old;
    for (int i = 0; i < runs; ++i) {
        old.push_back(BuildMs(LegacyBuildIconSet));
        now.push_back(BuildMs(BuildIconSet));
    }
    return {Median(now), Median(old)};
}

long IconPixelsDifferingFromOldBuild()
{
    LegacyBuildIconSet();
    const std::vector<std::vector<uint32_t>> old = FingerprintsOfSet();
    BuildIconSet();
    const std::vector<std::vector<uint32_t>> now = FingerprintsOfSet();
    long differing = 0;
    for (size_t i = 0; i < now.size(); ++i) {
        if (now[i].empty() || now[i].size() != old[i].size()) {
            differing += static_cast<long>(now[i].size() + old[i].size());
            continue;
        }
        for (size_t p = 0; p < now[i].size(); ++p)
            differing += now[i][p] != old[i][p];
    }
    return differing;
}
