// The icon groups the program carries, with their sizes and colour depths.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

#pragma pack(push, 2)
struct GroupEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

using Images = std::vector<std::pair<int, int>>;   // (size, bits)

Images GroupImages(int id)
{
    Images out;
    HRSRC res = FindResourceExA(nullptr, RT_GROUP_ICON, MAKEINTRESOURCEA(id),
                                MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT));
    if (!res)
        return out;
    const BYTE* data = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, res)));
    const WORD count = *reinterpret_cast<const WORD*>(data + 4);
    const auto* entries = reinterpret_cast<const GroupEntry*>(data + 6);
    for (WORD i = 0; i < count; ++i)
        out.push_back({entries[i].width ? entries[i].width : 256, entries[i].bitCount});
    std::sort(out.begin(), out.end());
    return out;
}

TEST(IconResources, EveryGroupWithItsSizesAndDepths)
{
    const struct {
        int id;
        Images images;
    } groups[] = {
        {200, {{16, 32}, {24, 32}, {32, 32}, {48, 32}, {64, 32}, {72, 32}, {128, 32}, {256, 32}}},
        {201, {{16, 32}}},
        {202, {{16, 32}, {20, 32}, {24, 32}, {32, 32}}},
        {210, {{16, 4}, {16, 8}, {16, 32}, {20, 32}, {24, 32}, {32, 32}}},
        {211, {{16, 32}, {20, 32}, {24, 32}, {32, 32}}},
        {212, {{16, 32}, {20, 32}, {24, 32}, {32, 32}}},
        {213, {{16, 32}, {20, 32}, {24, 32}, {32, 32}}},
        {214, {{16, 32}, {20, 32}, {24, 32}, {32, 32}}},
        {215, {{16, 32}, {20, 32}, {24, 32}, {32, 32}}},
        {220, {{16, 32}, {20, 32}, {24, 32}, {32, 32}}},
        {221, {{16, 32}, {20, 32}, {24, 32}, {32, 32}}},
        {222, {{16, 32}, {20, 32}, {24, 32}, {32, 32}}},
        {230, {{16, 4}, {20, 32}, {24, 32}, {32, 32}}},
        {231, {{16, 4}, {20, 32}, {24, 32}, {32, 32}}},
    };
    for (const auto& g : groups)
        EXPECT_EQ(GroupImages(g.id), g.images) << "group " << g.id;
}

// The marks (4-bit pixel art at 16, drawn shapes at the sizes of display
// scaling) keep their place: opaque pixels only where they belong.
TEST(IconResources, MarksStayInTheLowerRightAtEverySize)
{
    const struct {
        int id;
        int left, top;   // in 16ths of the icon
    } marks[] = {{230, 12, 7}, {231, 7, 7}};
    for (const auto& m : marks) {
        for (int size : {16, 20, 24, 32}) {
            HICON icon = static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(m.id),
                                                       IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
            ASSERT_NE(icon, nullptr);
            BITMAPINFO bi = {};
            bi.bmiHeader = {sizeof(BITMAPINFOHEADER), size, -size, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
            void* bits = nullptr;
            HBITMAP surface = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
            HDC dc = CreateCompatibleDC(nullptr);
            HGDIOBJ previous = SelectObject(dc, surface);
            DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
            GdiFlush();
            const auto* px = static_cast<const uint32_t*>(bits);
            int red = 0, white = 0, outside = 0;
            for (int y = 0; y < size; ++y) {
                for (int x = 0; x < size; ++x) {
                    const uint32_t p = px[y * size + x] & 0xFFFFFF;
                    if (p == 0)
                        continue;
                    // Wholly outside: an edge between pixels may blend into one.
                    outside += (x + 1) * 16 <= m.left * size || (y + 1) * 16 <= m.top * size;
                    red += p == 0xFF0000;
                    white += p == 0xFFFFFF;
                }
            }
            EXPECT_EQ(outside, 0) << m.id << " at " << size;
            EXPECT_GT(red, 4) << m.id << " at " << size;
            EXPECT_GT(white, 4) << m.id << " at " << size;
            SelectObject(dc, previous);
            DeleteDC(dc);
            DeleteObject(surface);
            DestroyIcon(icon);
        }
    }
}

} // namespace
